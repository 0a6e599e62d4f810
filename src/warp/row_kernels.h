#pragma once
#include <cstdint>

#include "raster/color.h"
#include "raster/fixed.h"
#include "warp/source_sampling.h"
#include "warp/vector_sampling.h"

namespace mugwarp::warp_detail {

// One row of the first pass: cell s of the row gets the deformation read at
// its displaced point plus its (scaled) brush vector.
struct ComposeRow {
    const FixedVector* brush;  // the mesh row, indexed by s
    MapCells map;
    Fixed multiplierX;
    Fixed multiplierY;
    bool scaled;  // false when both multipliers are one
    int left;     // map column of s = 0
    Fixed y;      // the row's map position
};

// One row of display pixels rendered from their new vectors: pixel s of the
// row is the source sampled at (left + s, y) plus vector s.
struct RenderRow {
    const BilinearSource* sample;
    const Argb* sourceBits;
    int sourceWidth;
    int sourceHeight;
    int left;
    int y;
};

// The reference kernels, cell by cell, for s in first..last.
void composeCells(const ComposeRow& r, int first, int last, FixedVector* out);
void renderPixels(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row);

// The same results, several cells at a time; only callable where the
// processor has AVX2.
void composeCellsAvx2(const ComposeRow& r, int first, int last, FixedVector* out);
void renderPixelsAvx2(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row);

// The same, eight cells and sixteen pixels at a time; only callable where
// the processor has AVX-512 with byte permutes (avx512Available).
void composeCellsAvx512(const ComposeRow& r, int first, int last, FixedVector* out);
void renderPixelsAvx512(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row);

}  // namespace mugwarp::warp_detail
