#pragma once
#include "raster/fixed.h"
#include "raster/geometry.h"
#include "raster/pixel_surface.h"
#include "raster/samplers.h"

namespace mugwarp {

// The generic per-pixel renderer: for every pixel of `area` (already clipped
// to the destination) asks `reverse(x, y, sx, sy)` for the 16.16 source point,
// samples the source there with its resampler and writes by its draw mode.
template <class Reverse>
void renderTransformed(PixelSurface& destination, const PixelSurface& source, const Rect& area, Reverse reverse) {
    auto run = [&](auto sampler) {
        for (int y = area.top; y < area.bottom; ++y) {
            Argb* out = destination.row(y);
            for (int x = area.left; x < area.right; ++x) {
                Fixed sx = 0, sy = 0;
                reverse(toFixed(x), toFixed(y), sx, sy);
                out[x] = drawPixel(sampler(sx, sy), out[x], source);
            }
        }
    };
    if (source.samplerKind() == SamplerKind::Bilinear) {
        run([&](Fixed sx, Fixed sy) { return sampleBilinear(source, sx, sy); });
    } else {
        run([&](Fixed sx, Fixed sy) { return sampleNearest(source, sx, sy); });
    }
}

}  // namespace mugwarp
