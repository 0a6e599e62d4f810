#include "raster/samplers.h"

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

Argb sampleNearest(const PixelSurface& surface, Fixed x, Fixed y) {
    const int px = fixedRound(x);
    const int py = fixedRound(y);
    if (px < 0 || py < 0 || px >= surface.width() || py >= surface.height()) return surface.outerColor();
    return surface.pixel(px, py);
}

Argb bilinearInterior(Argb p00, Argb p10, Argb p01, Argb p11, int fx, int fy) {
    const auto& gamma = gammaTable();
    const std::uint32_t wx = gamma[255 - fx];
    const std::uint32_t wy = gamma[255 - fy];
    return mixChannels(mixChannels(p00, p10, wx), mixChannels(p01, p11, wx), wy);
}

Argb sampleBilinear(const PixelSurface& surface, Fixed sx, Fixed sy) {
    // Widened so that the +127 cannot overflow near the top of the range.
    return sampleBilinear256(surface, (static_cast<std::int64_t>(sx) + 127) >> 8,
                             (static_cast<std::int64_t>(sy) + 127) >> 8);
}

Argb sampleBilinear256(const PixelSurface& surface, std::int64_t x, std::int64_t y) {
    if (x < 0 || y < 0) return surface.outerColor();
    const std::int64_t lastX = (static_cast<std::int64_t>(surface.width()) - 1) * 256;
    const std::int64_t lastY = (static_cast<std::int64_t>(surface.height()) - 1) * 256;
    const int ix = static_cast<int>(x >> 8);
    const int iy = static_cast<int>(y >> 8);
    if (x < lastX && y < lastY) {
        const Argb* upper = surface.row(iy) + ix;
        const Argb* lower = surface.row(iy + 1) + ix;
        return bilinearInterior(upper[0], upper[1], lower[0], lower[1], static_cast<int>(x & 255),
                                static_cast<int>(y & 255));
    }
    if (x == lastX && y <= lastY) return surface.pixel(surface.width() - 1, iy);
    if (x <= lastX && y == lastY) return surface.pixel(ix, surface.height() - 1);
    return surface.outerColor();
}

Argb sample(const PixelSurface& surface, Fixed x, Fixed y) {
    return surface.samplerKind() == SamplerKind::Bilinear ? sampleBilinear(surface, x, y)
                                                          : sampleNearest(surface, x, y);
}

}  // namespace mugwarp
