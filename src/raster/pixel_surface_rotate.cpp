#include <algorithm>
#include <utility>

#include "raster/pixel_surface.h"

namespace mugwarp {

namespace {

// Quarter turns walk the target in square tiles, so that both the rows written
// and the columns read stay in the cache; a plain column walk over a large
// picture touches a new cache line for every pixel.
constexpr int kTile = 32;

template <class SourceOf>
void fillByTiles(PixelSurface& target, SourceOf sourceOf) {
    const int w = target.width();
    const int h = target.height();
    for (int ty0 = 0; ty0 < h; ty0 += kTile) {
        const int ty1 = std::min(ty0 + kTile, h);
        for (int tx0 = 0; tx0 < w; tx0 += kTile) {
            const int tx1 = std::min(tx0 + kTile, w);
            for (int ty = ty0; ty < ty1; ++ty) {
                Argb* out = target.row(ty);
                for (int tx = tx0; tx < tx1; ++tx) out[tx] = sourceOf(tx, ty);
            }
        }
    }
}

}  // namespace

void PixelSurface::rotate90ClockwiseInto(PixelSurface& target) const {
    if (&target == this) {
        PixelSurface copy(*this);
        copy.rotate90ClockwiseInto(target);
        return;
    }
    target.setSize(height_, width_);
    // Target (tx, ty) shows source (ty, H - 1 - tx).
    fillByTiles(target, [this](int tx, int ty) { return row(height_ - 1 - tx)[ty]; });
    target.changed();
}

void PixelSurface::rotate90CounterClockwiseInto(PixelSurface& target) const {
    if (&target == this) {
        PixelSurface copy(*this);
        copy.rotate90CounterClockwiseInto(target);
        return;
    }
    target.setSize(height_, width_);
    // Target (tx, ty) shows source (W - 1 - ty, tx).
    fillByTiles(target, [this](int tx, int ty) { return row(tx)[width_ - 1 - ty]; });
    target.changed();
}

void PixelSurface::rotate180Into(PixelSurface& target) const {
    if (&target == this) {
        target.rotate180();
        return;
    }
    target.setSize(width_, height_);
    for (int y = 0; y < height_; ++y) std::reverse_copy(row(y), row(y) + width_, target.row(height_ - 1 - y));
    target.changed();
}

void PixelSurface::rotate180() {
    std::reverse(bits(), bits() + pixelCount());
    changed();
}

}  // namespace mugwarp
