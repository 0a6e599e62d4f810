#pragma once
#include <cstdint>

namespace mugwarp {

// While alive, floating-point exceptions are masked (x87 control word 0x133F:
// all masked, 64-bit precision, round to nearest; SSE likewise), as module code
// expects; the caller's state comes back on every way out.
class FloatingPointGuard {
public:
    FloatingPointGuard();
    ~FloatingPointGuard();
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

private:
    std::uint16_t x87_ = 0;
    std::uint32_t sse_ = 0;
};

}  // namespace mugwarp
