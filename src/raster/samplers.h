#pragma once
#include <cstdint>

#include "raster/color.h"
#include "raster/fixed.h"

namespace mugwarp {

class PixelSurface;

// Pixel at (fixedRound(x), fixedRound(y)); the surface's outer colour outside.
Argb sampleNearest(const PixelSurface& surface, Fixed x, Fixed y);

// Bilinear sample with the edge-safe access: the point is taken in 1/256
// pixel units, (v + 127) >> 8; interior points mix four pixels with weights
// from the gamma table; points exactly on the last column or row read that
// column or row without interpolation; everything else is the outer colour.
Argb sampleBilinear(const PixelSurface& surface, Fixed x, Fixed y);
// The same with the point already in 1/256 pixel units.
Argb sampleBilinear256(const PixelSurface& surface, std::int64_t x, std::int64_t y);

// Through the surface's own resampler.
Argb sample(const PixelSurface& surface, Fixed x, Fixed y);

// One step of the bilinear mix on all four channels:
// (w * a + (255 - w) * b) / 255 per channel, w in 0..255.
constexpr Argb mixChannels(Argb a, Argb b, std::uint32_t w) {
    Argb result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t ca = (a >> shift) & 0xFF;
        const std::uint32_t cb = (b >> shift) & 0xFF;
        result |= ((w * ca + (255 - w) * cb) / 255) << shift;
    }
    return result;
}

// The interior case of sampleBilinear: pixels p00 (upper left), p10 (upper
// right), p01 (lower left), p11 (lower right) at 1/256 fractions fx, fy.
Argb bilinearInterior(Argb p00, Argb p10, Argb p01, Argb p11, int fx, int fy);

}  // namespace mugwarp
