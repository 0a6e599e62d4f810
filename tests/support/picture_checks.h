#pragma once
// Comparisons of pictures and documents shared by the tests (header only, so
// that every test links only the libraries it uses).
#include <algorithm>
#include <random>

#include "raster/pixel_surface.h"

namespace mugwarp::test {

// Same size and the same pixel values everywhere.
inline bool samePixels(const PixelSurface& a, const PixelSurface& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
    return true;
}

// Every pixel random, alpha too: a picture no packing can shrink by pattern.
inline PixelSurface noise(int width, int height, unsigned seed) {
    PixelSurface s(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) s.row(y)[x] = static_cast<Argb>(random());
    return s;
}

}  // namespace mugwarp::test
