#include "warp/view_conversion.h"

#include <cmath>
#include <cstdint>

namespace mugwarp {

namespace {

// picture * 65536 / view, rounded to nearest.
int reciprocalScale(int picture, int view) {
    if (view <= 0) return 0;
    const std::int64_t numerator = static_cast<std::int64_t>(picture) * 65536;
    return static_cast<int>((numerator + view / 2) / view);
}

// (v * scale) / 65536 with a 32-bit product, the division truncating.
int scaled(int v, int scale) {
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(v) * scale));
    return product / 65536;
}

int truncatedToPicture(double value) { return static_cast<int>(std::trunc(value)); }

}  // namespace

ViewToPicture::ViewToPicture(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight)
    : scaleX_(reciprocalScale(pictureWidth, viewWidth)), scaleY_(reciprocalScale(pictureHeight, viewHeight)) {}

PixelPoint ViewToPicture::operator()(PixelPoint view) const { return {scaled(view.x, scaleX_), scaled(view.y, scaleY_)}; }

EraseSquare eraseSquareFromView(PixelPoint view, int zoomPercent, int eraseSize) {
    if (zoomPercent <= 0) return {};
    const double zoom = zoomPercent;
    return {truncatedToPicture(view.x / zoom * 100.0), truncatedToPicture(view.y / zoom * 100.0),
            truncatedToPicture(eraseSize * 100.0 / zoom)};
}

}  // namespace mugwarp
