// A DLL of the kind a filter ships beside itself (a maths library, a C
// runtime of its own): the "Beside" filter cannot load without it.
#include <cstdint>

extern "C" __declspec(dllexport) std::uint8_t mugwarpBesideMask() { return 0x5A; }
