#include "pshost/floating_point_guard.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#define MUGWARP_X86 1
#endif

namespace mugwarp {

namespace {
[[maybe_unused]] constexpr std::uint16_t kPluginX87 = 0x133F;
[[maybe_unused]] constexpr std::uint32_t kSseExceptionMasks = 0x1F80;
}  // namespace

FloatingPointGuard::FloatingPointGuard() {
#ifdef MUGWARP_X86
    std::uint16_t control = kPluginX87;
    __asm__ volatile("fnstcw %0" : "=m"(x87_));
    __asm__ volatile("fldcw %0" : : "m"(control));
    sse_ = _mm_getcsr();
    _mm_setcsr(sse_ | kSseExceptionMasks);
#endif
}

FloatingPointGuard::~FloatingPointGuard() {
#ifdef MUGWARP_X86
    __asm__ volatile("fclex");
    __asm__ volatile("fldcw %0" : : "m"(x87_));
    _mm_setcsr(sse_);
#endif
}

}  // namespace mugwarp
