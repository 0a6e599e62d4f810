#include "warp/brush_outline.h"

#include <cmath>

#include "raster/fixed.h"

namespace mugwarp {

Rect BrushOutline::setCenter(PixelPoint c) {
    if (c == center_) return {};
    const Rect before = area();
    center_ = c;
    return before.united(area());
}

Rect BrushOutline::setRadius(int r) {
    radius_ = r;
    return area();
}

std::vector<BrushOutline::Segment> BrushOutline::segments() const {
    int count = radius_ + 4;
    if (count % 2 != 0) ++count;
    if (count <= 0) return {};
    const float step = static_cast<float>(2.0 * M_PI / count);
    std::vector<Segment> out;
    out.reserve(static_cast<std::size_t>(count));
    // The pen starts white and flips before each segment, so the first is black.
    Argb pen = 0xA0FFFFFF;
    float fromX = fixedToFloat(toFixed(static_cast<float>(center_.x + radius_)));
    float fromY = fixedToFloat(toFixed(static_cast<float>(center_.y)));
    for (int i = 1; i <= count; ++i) {
        pen = (~pen & 0x00FFFFFF) + 0xA0000000;
        const double angle = static_cast<double>(static_cast<float>(i) * step);
        const float toX = fixedToFloat(toFixed(static_cast<float>(std::cos(angle) * radius_ + center_.x)));
        const float toY = fixedToFloat(toFixed(static_cast<float>(std::sin(angle) * radius_ + center_.y)));
        out.push_back({fromX, fromY, toX, toY, pen});
        fromX = toX;
        fromY = toY;
    }
    return out;
}

}  // namespace mugwarp
