#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/geometry.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// How rows kept for the history go back into a picture: as they are, or as
// byte-wise differences added (before -> after) or subtracted (after ->
// before).
enum class RowApply { Copy, Add, Subtract };

// Writes a width x height block of rows into picture with its top-left corner
// at (left, top), which must lie wholly inside the picture.
void applyRows(PixelSurface& picture, int left, int top, const Argb* rows, int width, int height, RowApply how);

// after - before, byte by byte, within rect (clipped to both pictures, which
// have one size), as a picture of the rectangle's size.
PixelSurface byteDifference(const PixelSurface& before, const PixelSurface& after, const Rect& rect);

// A rectangle of a picture's rows packed with a fast general compressor, in
// independent chunks so that a large picture packs and unpacks on every core.
class PackedRows {
public:
    PackedRows() = default;

    // What the rows hold. A photograph's neighbouring pixels are alike, so
    // pixels are packed as each one's difference from its left neighbour
    // (a third smaller); differences between pictures are packed as they are.
    enum class Content { Differences, Pixels };

    // The rows of picture within rect (clipped to the picture). When stop is
    // given and becomes true, packing ends early with an empty result.
    static PackedRows pack(const PixelSurface& picture, const Rect& rect, Content content = Content::Differences,
                           const std::atomic<bool>* stop = nullptr);

    // Writes the rows back into picture with the rectangle's top-left corner
    // at (left, top); throws Error when they would not fit.
    void unpack(PixelSurface& picture, int left, int top, RowApply how) const;

    int width() const { return width_; }
    int height() const { return height_; }
    // Memory held, compressed data and bookkeeping.
    std::size_t bytes() const;

private:
    struct Chunk {
        int firstRow = 0;
        int rows = 0;
        std::vector<std::uint8_t> data;
    };

    int width_ = 0;
    int height_ = 0;
    Content content_ = Content::Differences;
    std::vector<Chunk> chunks_;
};

}  // namespace mugwarp
