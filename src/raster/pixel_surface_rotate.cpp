#include <algorithm>
#include <utility>

#include "raster/pixel_surface.h"

namespace mugwarp {

void PixelSurface::rotate90ClockwiseInto(PixelSurface& target) const {
    if (&target == this) {
        PixelSurface copy(*this);
        copy.rotate90ClockwiseInto(target);
        return;
    }
    target.setSize(height_, width_);
    for (int y = 0; y < height_; ++y) {
        const Argb* in = row(y);
        const int tx = height_ - 1 - y;
        for (int x = 0; x < width_; ++x) target.row(x)[tx] = in[x];
    }
    target.changed();
}

void PixelSurface::rotate90CounterClockwiseInto(PixelSurface& target) const {
    if (&target == this) {
        PixelSurface copy(*this);
        copy.rotate90CounterClockwiseInto(target);
        return;
    }
    target.setSize(height_, width_);
    for (int y = 0; y < height_; ++y) {
        const Argb* in = row(y);
        for (int x = 0; x < width_; ++x) target.row(width_ - 1 - x)[y] = in[x];
    }
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
    std::reverse(bits_.begin(), bits_.end());
    changed();
}

}  // namespace mugwarp
