#pragma once

namespace mugwarp::warp_detail {

enum class RowKernels { Portable, Avx2 };

// Whether this processor can run the AVX2 kernels.
bool avx2Available();

// The kernels brush applications use: the widest the processor runs, unless
// a test has asked for the portable ones to compare both. A request for AVX2
// on a processor without it gives the portable kernels.
RowKernels rowKernels();
void setRowKernels(RowKernels kernels);

}  // namespace mugwarp::warp_detail
