#include "warp/kernel_choice.h"

#include <atomic>

namespace mugwarp::warp_detail {

namespace {

RowKernels widest() { return avx2Available() ? RowKernels::Avx2 : RowKernels::Portable; }

std::atomic<RowKernels>& chosen() {
    static std::atomic<RowKernels> kernels{widest()};
    return kernels;
}

}  // namespace

bool avx2Available() {
#if defined(__x86_64__) && defined(__GNUC__)
    // Initialised here too: a static constructor may ask before the
    // runtime's own initialisation has run.
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return available;
#else
    return false;
#endif
}

RowKernels rowKernels() { return chosen().load(std::memory_order_relaxed); }

void setRowKernels(RowKernels kernels) {
    chosen().store(kernels == RowKernels::Avx2 ? widest() : RowKernels::Portable, std::memory_order_relaxed);
}

}  // namespace mugwarp::warp_detail
