#include "warp/kernel_choice.h"

#include <atomic>

namespace mugwarp::warp_detail {

namespace {

std::atomic<RowKernels>& chosen() {
    static std::atomic<RowKernels> kernels{widestRowKernels()};
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

bool avx512Available() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool available = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
    }();
    return available;
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
