#include "raster/displacement_map.h"

#include <algorithm>

#include "raster/cell_storage.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

namespace {
const char* const kVectorMapAllocError = "Can't allocate VectorMap!";
}

void DisplacementMap::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    // The warp engine relies on an unchanged size keeping every vector.
    if (width == width_ && height == height_) return;
    // Allocate first so that a failure leaves the old map intact. A fresh
    // block costs nothing until cells are written, where clearing the old
    // one (a quarter turn keeps the cell count) would write every cell.
    auto cells = allocateCells<FixedVector, ZeroedCellsAllocator<FixedVector>>(width, height, kVectorMapAllocError);
    cells_ = std::move(cells);
    width_ = width;
    height_ = height;
}

void DisplacementMap::setSizeFrom(const PixelSurface& s) { setSize(s.width(), s.height()); }
void DisplacementMap::setSizeFrom(const PlatformBitmap& b) { setSize(b.width(), b.height()); }
void DisplacementMap::setSizeFrom(const DisplacementMap& m) { setSize(m.width(), m.height()); }
void DisplacementMap::setSizeFrom(const ByteMap& m) { setSize(m.width(), m.height()); }

// A fresh block rather than zeros written over the old one: only the cells
// written since (a brush's square) ever cost a page. Should memory run short,
// the old block is cleared where it is.
void DisplacementMap::clear() {
    try {
        cells_ = allocateCells<FixedVector, ZeroedCellsAllocator<FixedVector>>(width_, height_, kVectorMapAllocError);
    } catch (const Error&) {
        std::fill(cells_.begin(), cells_.end(), FixedVector{});
    }
}

FixedVector DisplacementMap::fixedVector(Fixed x, Fixed y) const {
    const int i = x >> 16;
    const int j = y >> 16;
    const int fx = x & 0xFFFF;
    const int fy = y & 0xFFFF;
    // i + 1 cannot overflow: i is at most 32767.
    const FixedVector c00 = vectorSafe(i, j);
    const FixedVector c10 = vectorSafe(i + 1, j);
    const FixedVector c01 = vectorSafe(i, j + 1);
    const FixedVector c11 = vectorSafe(i + 1, j + 1);
    const FixedVector top{fixedCombine(c10.x, c00.x, fx), fixedCombine(c10.y, c00.y, fx)};
    const FixedVector bottom{fixedCombine(c11.x, c01.x, fx), fixedCombine(c11.y, c01.y, fx)};
    return {fixedCombine(bottom.x, top.x, fy), fixedCombine(bottom.y, top.y, fy)};
}

void ByteMap::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    // Zeroed rather than left undefined: nothing may ever read stale memory.
    auto bytes = allocateCells<std::uint8_t>(width, height, "Can't allocate ByteMap!");
    bytes_ = std::move(bytes);
    width_ = width;
    height_ = height;
}

void ByteMap::setSizeFrom(const PixelSurface& s) { setSize(s.width(), s.height()); }
void ByteMap::setSizeFrom(const PlatformBitmap& b) { setSize(b.width(), b.height()); }
void ByteMap::setSizeFrom(const DisplacementMap& m) { setSize(m.width(), m.height()); }
void ByteMap::setSizeFrom(const ByteMap& m) { setSize(m.width(), m.height()); }

void ByteMap::clear() { fill(0); }
void ByteMap::fill(std::uint8_t value) { std::fill(bytes_.begin(), bytes_.end(), value); }

}  // namespace mugwarp
