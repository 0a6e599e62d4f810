#include <algorithm>
#include <cstring>

#include "raster/pixel_surface.h"
#include "raster/samplers.h"

namespace mugwarp {

void PixelSurface::drawTo(PixelSurface& destination, int x, int y) const {
    if (&destination == this && (x != 0 || y != 0)) {
        // Shifted onto itself, later rows would read already shifted pixels.
        const PixelSurface copy(*this);
        copy.drawTo(destination, x, y);
        return;
    }
    const Rect area = placedRect(x, y, width_, height_).intersected(destination.bounds());
    if (area.isEmpty()) return;
    const int count = area.width();
    for (int dy = area.top; dy < area.bottom; ++dy) {
        const Argb* in = row(dy - y) + (area.left - x);
        Argb* out = destination.row(dy) + area.left;
        if (drawMode_ == DrawMode::Opaque) {
            // memmove: a surface may be drawn onto itself in place.
            std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(Argb));
        } else {
            for (int i = 0; i < count; ++i) out[i] = blendPixel(in[i], out[i], combineMode_, masterAlpha_);
        }
    }
    destination.changed(area);
}

void PixelSurface::draw(const Rect& dst, const PixelSurface& source) {
    if (&source == this) {
        // Reading pixels this loop has already overwritten would smear them.
        const PixelSurface copy(source);
        draw(dst, copy);
        return;
    }
    const Rect area = dst.intersected(bounds());
    if (area.isEmpty() || source.isEmpty()) return;
    // The rectangle's first and last pixels meet the source's first and last
    // pixels, so that a bilinear source is never read past its last column.
    auto step = [](int sourceSize, int targetStart, int targetEnd) -> std::int64_t {
        const std::int64_t targetSize = static_cast<std::int64_t>(targetEnd) - targetStart;
        if (targetSize <= 1) return 0;
        return (static_cast<std::int64_t>(sourceSize - 1) << 16) / (targetSize - 1);
    };
    const std::int64_t stepX = step(source.width(), dst.left, dst.right);
    const std::int64_t stepY = step(source.height(), dst.top, dst.bottom);
    for (int y = area.top; y < area.bottom; ++y) {
        const Fixed sy = static_cast<Fixed>((y - static_cast<std::int64_t>(dst.top)) * stepY);
        Argb* out = row(y);
        for (int x = area.left; x < area.right; ++x) {
            const Fixed sx = static_cast<Fixed>((x - static_cast<std::int64_t>(dst.left)) * stepX);
            out[x] = drawPixel(sample(source, sx, sy), out[x], source);
        }
    }
    changed(area);
}

}  // namespace mugwarp
