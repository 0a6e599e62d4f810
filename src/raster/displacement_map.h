#pragma once
#include <cstdint>
#include <vector>

#include "raster/cell_storage.h"
#include "raster/fixed.h"
#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;
class PlatformBitmap;
class ByteMap;

struct FixedVector {
    Fixed x = 0, y = 0;
    friend constexpr bool operator==(const FixedVector&, const FixedVector&) = default;
};

// One (X, Y) displacement in pixels per cell, row by row from the top.
// All zeros is the identity.
class DisplacementMap {
public:
    DisplacementMap() = default;
    DisplacementMap(int width, int height) { setSize(width, height); }

    int width() const { return width_; }
    int height() const { return height_; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    // Negative sizes count as 0. The same size keeps the contents; a new size
    // gives an all-zero map. Throws Error("Can't allocate VectorMap!").
    void setSize(int width, int height);
    void setSizeFrom(const PixelSurface& s);
    void setSizeFrom(const PlatformBitmap& b);
    void setSizeFrom(const DisplacementMap& m);
    void setSizeFrom(const ByteMap& m);
    void clear();

    FixedVector* row(int y) { return cells_.data() + static_cast<std::size_t>(y) * width_; }
    const FixedVector* row(int y) const { return cells_.data() + static_cast<std::size_t>(y) * width_; }
    FixedVector vector(int x, int y) const { return row(y)[x]; }
    void setVector(int x, int y, FixedVector v) { row(y)[x] = v; }
    FixedVector vectorSafe(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
        return row(y)[x];
    }
    // Bilinear interpolation at a fixed-point position over the four cells
    // around it, each read by vectorSafe: beyond the last column or row the
    // missing neighbours count as (0, 0). Whole-pixel positions give the cell.
    FixedVector fixedVector(Fixed x, Fixed y) const;

private:
    int width_ = 0;
    int height_ = 0;
    ZeroedCells<FixedVector> cells_;
};

// 8 bits per cell, row by row from the top.
class ByteMap {
public:
    ByteMap() = default;
    ByteMap(int width, int height) { setSize(width, height); }

    int width() const { return width_; }
    int height() const { return height_; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    // Negative sizes count as 0; the same size keeps the contents; a new size
    // gives zeroed cells. Throws Error("Can't allocate ByteMap!").
    void setSize(int width, int height);
    void setSizeFrom(const PixelSurface& s);
    void setSizeFrom(const PlatformBitmap& b);
    void setSizeFrom(const DisplacementMap& m);
    void setSizeFrom(const ByteMap& m);
    void clear();
    void fill(std::uint8_t value);
    std::uint8_t* row(int y) { return bytes_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint8_t* row(int y) const { return bytes_.data() + static_cast<std::size_t>(y) * width_; }
    std::uint8_t value(int x, int y) const { return row(y)[x]; }
    void setValue(int x, int y, std::uint8_t v) { row(y)[x] = v; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace mugwarp
