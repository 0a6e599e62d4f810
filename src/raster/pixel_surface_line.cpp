#include <algorithm>
#include <cstdlib>

#include "raster/pixel_surface.h"

namespace mugwarp {

namespace {

// Blends `color` onto the pixel by a coverage of 0..65536, clipped.
void plot(PixelSurface& s, int x, int y, Argb color, std::int64_t coverage) {
    if (coverage <= 0 || x < 0 || y < 0 || x >= s.width() || y >= s.height()) return;
    const auto weight = static_cast<std::uint8_t>((coverage * 255 + 32768) >> 16);
    if (weight == 0) return;
    Argb& p = s.row(y)[x];
    p = blendPixel(color, p, CombineMode::Blend, weight);
}

}  // namespace

void PixelSurface::lineTo(Fixed x, Fixed y) {
    const Fixed x0 = penX_;
    const Fixed y0 = penY_;
    penX_ = x;
    penY_ = y;
    if (isEmpty()) return;
    const std::int64_t dx = static_cast<std::int64_t>(x) - x0;
    const std::int64_t dy = static_cast<std::int64_t>(y) - y0;
    // Walk the major axis one pixel at a time; on the minor axis the line's
    // exact position splits the coverage between the two pixels it falls on.
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const Fixed major0 = xMajor ? x0 : y0;
    const Fixed minor0 = xMajor ? y0 : x0;
    const std::int64_t majorDelta = xMajor ? dx : dy;
    const std::int64_t minorDelta = xMajor ? dy : dx;
    const int start = fixedRound(major0);
    const int end = fixedRound(xMajor ? x : y);
    if (start == end) return;
    // Pixels from start towards end, the end pixel left out.
    int lo = std::min(start, end < start ? end + 1 : start);
    int hi = std::max(start, end > start ? end - 1 : start);
    lo = std::max(lo, 0);
    hi = std::min(hi, (xMajor ? width_ : height_) - 1);
    if (lo > hi) return;
    int minorLo = 2147483647;
    int minorHi = -2147483647;
    for (int m = lo; m <= hi; ++m) {
        const double along = static_cast<double>((static_cast<std::int64_t>(m) << 16) - major0);
        const double minor = static_cast<double>(minor0) + along * static_cast<double>(minorDelta) /
                                                               static_cast<double>(majorDelta);
        if (minor < -2147483648.0 || minor >= 2147483647.0) continue;
        const auto fixedMinor = static_cast<std::int64_t>(minor);
        const int cell = static_cast<int>(fixedMinor >> 16);
        const std::int64_t fraction = fixedMinor & 0xFFFF;
        if (xMajor) {
            plot(*this, m, cell, penColor_, 65536 - fraction);
            plot(*this, m, cell + 1, penColor_, fraction);
        } else {
            plot(*this, cell, m, penColor_, 65536 - fraction);
            plot(*this, cell + 1, m, penColor_, fraction);
        }
        minorLo = std::min(minorLo, cell);
        minorHi = std::max(minorHi, fraction != 0 && cell < 2147483647 ? cell + 1 : cell);
    }
    if (minorLo > minorHi) return;
    changed(xMajor ? Rect{lo, minorLo, hi + 1, minorHi + 1} : Rect{minorLo, lo, minorHi + 1, hi + 1});
}

void PixelSurface::raiseRectangle(const Rect& r, int contrastPercent) {
    if (contrastPercent == 0 || r.isEmpty()) return;
    const std::int64_t c = std::llabs(static_cast<std::int64_t>(contrastPercent));
    const auto strong = static_cast<std::uint8_t>(std::min<std::int64_t>(255, c * 512 / 100));
    const auto weak = static_cast<std::uint8_t>(std::min<std::int64_t>(255, c * 255 / 100));
    const Argb white = 0xFFFFFFFFu;
    const Argb black = 0xFF000000u;
    const bool raised = contrastPercent > 0;
    const Argb lightColor = raised ? white : black;
    const std::uint8_t lightAlpha = raised ? strong : weak;
    const Argb darkColor = raised ? black : white;
    const std::uint8_t darkAlpha = raised ? weak : strong;

    auto blendAt = [this](int x, int y, Argb color, std::uint8_t alpha) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        Argb& p = row(y)[x];
        p = blendPixel(color, p, CombineMode::Blend, alpha);
    };
    for (int x = r.left; x < r.right; ++x) {
        blendAt(x, r.top, lightColor, lightAlpha);
        blendAt(x, r.bottom - 1, darkColor, darkAlpha);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        blendAt(r.left, y, lightColor, lightAlpha);
        blendAt(r.right - 1, y, darkColor, darkAlpha);
    }
    changed(r);
}

}  // namespace mugwarp
