#pragma once

namespace mugwarp::warp_detail {

enum class RowKernels { Portable, Avx2, Avx512 };

// Whether this processor can run the AVX2 kernels, and the AVX-512 ones
// (with byte permutes).
bool avx2Available();
bool avx512Available();

// The widest kernels this processor runs.
RowKernels widestRowKernels();

// The kernels brush applications use: the widest the processor runs, unless
// a test has asked for narrower ones to compare them. A request for kernels
// the processor cannot run gives the widest it can.
RowKernels rowKernels();
void setRowKernels(RowKernels kernels);

}  // namespace mugwarp::warp_detail
