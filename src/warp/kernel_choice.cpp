#include "warp/kernel_choice.h"

#include <atomic>

#include "raster/cpu_features.h"

namespace mugwarp::warp_detail {

namespace {

std::atomic<RowKernels>& chosen() {
    static std::atomic<RowKernels> kernels{widestRowKernels()};
    return kernels;
}

}  // namespace

// The kernels are built for 64-bit processors only.
bool avx2Available() {
#if defined(__x86_64__)
    return cpuHasAvx2();
#else
    return false;
#endif
}

bool avx512Available() {
#if defined(__x86_64__)
    return cpuHasAvx512Vbmi();
#else
    return false;
#endif
}

RowKernels widestRowKernels() {
    if (avx512Available()) return RowKernels::Avx512;
    return avx2Available() ? RowKernels::Avx2 : RowKernels::Portable;
}

RowKernels rowKernels() { return chosen().load(std::memory_order_relaxed); }

void setRowKernels(RowKernels kernels) {
    const bool runs = kernels == RowKernels::Portable || (kernels == RowKernels::Avx2 && avx2Available()) ||
                      (kernels == RowKernels::Avx512 && avx512Available());
    chosen().store(runs ? kernels : widestRowKernels(), std::memory_order_relaxed);
}

}  // namespace mugwarp::warp_detail
