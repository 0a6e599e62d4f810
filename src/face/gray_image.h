#pragma once
#include <cstdint>
#include <vector>

#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;

// 8-bit luminance, row by row, what the detector and the landmark predictor
// look at.
struct GrayImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The picture scaled by factor (area average when reducing, bilinear when
// enlarging), as luminance. The result is at least 1 x 1.
GrayImage scaledGray(const PixelSurface& picture, double factor);

// The part r of the picture (clipped to it) at full resolution.
GrayImage grayCrop(const PixelSurface& picture, const Rect& r);

// The factor the detector sees a picture of this size at: big photos are
// reduced to about kDetectorPixels, small ones enlarged up to twice so that
// faces of about 36 pixels reach the detector's smallest window.
double detectorScale(int width, int height);
inline constexpr double kDetectorPixels = 1.2e6;

}  // namespace mugwarp
