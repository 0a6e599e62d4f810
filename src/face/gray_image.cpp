#include "face/gray_image.h"

#include <algorithm>
#include <cmath>

#include "raster/pixel_surface.h"

namespace mugwarp {

namespace {

// Rec. 601 weights in 1/256ths, rounded so that white stays 255.
inline std::uint8_t luminance(Argb c) {
    const unsigned r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return static_cast<std::uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
}

GrayImage reduced(const PixelSurface& picture, int width, int height) {
    GrayImage out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    // Each output pixel averages the source block it covers; the block edges
    // are whole source pixels, which is plenty for a detector.
    std::vector<int> columnStart(width + 1);
    for (int x = 0; x <= width; ++x) columnStart[x] = static_cast<int>(static_cast<long long>(x) * picture.width() / width);
    std::vector<std::uint32_t> sums(width);
    std::vector<std::uint32_t> counts(width);
    for (int y = 0; y < height; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * picture.height() / height);
        const int bottom = std::max(top + 1, static_cast<int>(static_cast<long long>(y + 1) * picture.height() / height));
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        for (int sy = top; sy < bottom; ++sy) {
            const Argb* row = picture.row(sy);
            for (int x = 0; x < width; ++x) {
                const int end = std::max(columnStart[x] + 1, columnStart[x + 1]);
                for (int sx = columnStart[x]; sx < end; ++sx) sums[x] += luminance(row[sx]);
                counts[x] += static_cast<std::uint32_t>(end - columnStart[x]);
            }
        }
        std::uint8_t* outRow = out.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) outRow[x] = static_cast<std::uint8_t>((sums[x] + counts[x] / 2) / counts[x]);
    }
    return out;
}

GrayImage enlarged(const PixelSurface& picture, int width, int height) {
    GrayImage out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    const int lastX = picture.width() - 1, lastY = picture.height() - 1;
    const double stepX = static_cast<double>(picture.width()) / width;
    const double stepY = static_cast<double>(picture.height()) / height;
    for (int y = 0; y < height; ++y) {
        const double sy = std::clamp((y + 0.5) * stepY - 0.5, 0.0, static_cast<double>(lastY));
        const int y0 = static_cast<int>(sy), y1 = std::min(y0 + 1, lastY);
        const int fy = static_cast<int>((sy - y0) * 256);
        std::uint8_t* outRow = out.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const double sx = std::clamp((x + 0.5) * stepX - 0.5, 0.0, static_cast<double>(lastX));
            const int x0 = static_cast<int>(sx), x1 = std::min(x0 + 1, lastX);
            const int fx = static_cast<int>((sx - x0) * 256);
            const int top = luminance(picture.pixel(x0, y0)) * (256 - fx) + luminance(picture.pixel(x1, y0)) * fx;
            const int bottom = luminance(picture.pixel(x0, y1)) * (256 - fx) + luminance(picture.pixel(x1, y1)) * fx;
            outRow[x] = static_cast<std::uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
        }
    }
    return out;
}

}  // namespace

GrayImage scaledGray(const PixelSurface& picture, double factor) {
    if (picture.isEmpty()) return {1, 1, {0}};
    const int width = std::max(1, static_cast<int>(std::lround(picture.width() * factor)));
    const int height = std::max(1, static_cast<int>(std::lround(picture.height() * factor)));
    if (width <= picture.width() && height <= picture.height()) return reduced(picture, width, height);
    return enlarged(picture, width, height);
}

GrayImage grayCrop(const PixelSurface& picture, const Rect& r) {
    const Rect c = r.intersected(picture.bounds());
    if (c.isEmpty()) return {};
    GrayImage out{c.width(), c.height(), std::vector<std::uint8_t>(static_cast<std::size_t>(c.width()) * c.height())};
    for (int y = c.top; y < c.bottom; ++y) {
        const Argb* row = picture.row(y);
        std::uint8_t* outRow = out.pixels.data() + static_cast<std::size_t>(y - c.top) * c.width();
        for (int x = c.left; x < c.right; ++x) outRow[x - c.left] = luminance(row[x]);
    }
    return out;
}

double detectorScale(int width, int height) {
    const double pixels = static_cast<double>(std::max(width, 1)) * std::max(height, 1);
    // The detector's window is 80 pixels wide; 80 / 36 is about 2.25.
    return std::min(2.25, std::sqrt(kDetectorPixels / pixels));
}

}  // namespace mugwarp
