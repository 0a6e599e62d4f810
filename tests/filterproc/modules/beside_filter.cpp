// "Beside": a filter whose module imports a DLL lying in its own folder (and
// nowhere else). Each of red, green and blue is xor-ed with the byte that
// DLL gives, so a run shows it was loaded from there.
#include <cstdint>

#include "filter_module.h"

using namespace filters;

extern "C" __declspec(dllimport) std::uint8_t mugwarpBesideMask();

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorStart) {
        r->outRect = r->filterRect;
        r->outLoPlane = 0;
        r->outHiPlane = 2;
    }
    if (selector != kSelectorContinue) return;
    const std::uint8_t mask = mugwarpBesideMask();
    const int width = widthOf(r->outRect), height = heightOf(r->outRect);
    auto* rows = static_cast<std::uint8_t*>(r->outData);
    const std::size_t rowLength = std::size_t(width) * r->outColumnBytes;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = rows + std::ptrdiff_t(y) * r->outRowBytes;
        for (std::size_t i = 0; i < rowLength; ++i) p[i] = std::uint8_t(p[i] ^ mask);
    }
    requestNothing(r);
}
