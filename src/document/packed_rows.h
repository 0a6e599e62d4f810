#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/geometry.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// A rectangle of a picture's rows packed with a fast general compressor, in
// independent chunks so that a large picture packs and unpacks on every core.
// It holds either the pixels themselves or the byte-wise difference between
// two pictures of one size, which is mostly zeros where little changed and
// can be applied in both directions.
class PackedRows {
public:
    PackedRows() = default;

    // The pixels of picture within rect (clipped to the picture).
    static PackedRows packPixels(const PixelSurface& picture, const Rect& rect);
    // after - before, byte by byte, within rect; both pictures have one size.
    static PackedRows packDifference(const PixelSurface& before, const PixelSurface& after, const Rect& rect);

    // Pixels: writes them back into picture, which has the packed picture's size.
    void unpackPixels(PixelSurface& picture) const;
    // Difference: before -> after (add) and after -> before (subtract).
    void addDifference(PixelSurface& picture) const;
    void subtractDifference(PixelSurface& picture) const;

    const Rect& rect() const { return rect_; }
    // Memory held, compressed data and bookkeeping.
    std::size_t bytes() const;

private:
    enum class Apply { Copy, Add, Subtract };
    struct Chunk {
        int firstRow = 0;  // relative to rect_.top
        int rows = 0;
        std::vector<std::uint8_t> data;
    };
    static PackedRows pack(const PixelSurface& after, const PixelSurface* before, const Rect& rect);
    void unpack(PixelSurface& picture, Apply how) const;

    Rect rect_;
    std::vector<Chunk> chunks_;
};

}  // namespace mugwarp
