#include "app/view_mapping.h"

#include <algorithm>
#include <cstdint>

namespace mugwarp {
namespace {

int reciprocalScale(int pictureLength, int viewLength) {
    if (viewLength <= 0) return 0;
    const std::int64_t numerator = static_cast<std::int64_t>(pictureLength) * 65536;
    return static_cast<int>((numerator + viewLength / 2) / viewLength);
}

// Centre sampling: the picture pixel under the middle of view pixel v.
int centreSample(int v, int pictureLength, int viewLength) {
    const std::int64_t p = (2 * static_cast<std::int64_t>(v) + 1) * pictureLength / (2 * static_cast<std::int64_t>(viewLength));
    return static_cast<int>(std::clamp<std::int64_t>(p, 0, pictureLength - 1));
}

// First view pixel whose centre lies at or after picture coordinate p.
int firstViewPixelShowing(int p, int pictureLength, int viewLength) {
    // Smallest v with (2v + 1) * L >= 2p * V, i.e. v >= (2pV - L) / 2L.
    const std::int64_t numerator = 2 * static_cast<std::int64_t>(p) * viewLength - pictureLength;
    const std::int64_t denominator = 2 * static_cast<std::int64_t>(pictureLength);
    if (numerator <= 0) return 0;
    return static_cast<int>((numerator + denominator - 1) / denominator);
}

}  // namespace

ViewMapping::ViewMapping(QSize pictureSize, QSize viewSize)
    : picture_(pictureSize),
      view_(viewSize),
      scaleX_(reciprocalScale(pictureSize.width(), viewSize.width())),
      scaleY_(reciprocalScale(pictureSize.height(), viewSize.height())) {}

// From the scale the pointer goes through, so that the outline's size agrees
// with the picture pixels a press reaches.
double ViewMapping::viewPixelsPerPicturePixel() const { return isEmpty() || scaleX_ <= 0 ? 0.0 : 65536.0 / scaleX_; }

QPoint ViewMapping::viewToPicture(QPoint viewPoint) const {
    // 32-bit products, as the conversion has always been done.
    const auto x = static_cast<std::int32_t>(static_cast<std::uint32_t>(viewPoint.x()) * static_cast<std::uint32_t>(scaleX_));
    const auto y = static_cast<std::int32_t>(static_cast<std::uint32_t>(viewPoint.y()) * static_cast<std::uint32_t>(scaleY_));
    return {x / 65536, y / 65536};
}

int ViewMapping::pictureColumnAt(int viewX) const { return centreSample(viewX, picture_.width(), view_.width()); }

int ViewMapping::pictureRowAt(int viewY) const { return centreSample(viewY, picture_.height(), view_.height()); }

QRect ViewMapping::pictureRectToView(const QRect& pictureRect) const {
    if (isEmpty()) return {};
    const QRect clipped = pictureRect & QRect(QPoint(0, 0), picture_);
    if (clipped.isEmpty()) return {};
    const int left = firstViewPixelShowing(clipped.left(), picture_.width(), view_.width());
    const int right = firstViewPixelShowing(clipped.right() + 1, picture_.width(), view_.width());
    const int top = firstViewPixelShowing(clipped.top(), picture_.height(), view_.height());
    const int bottom = firstViewPixelShowing(clipped.bottom() + 1, picture_.height(), view_.height());
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & QRect(QPoint(0, 0), view_);
}

std::vector<int> ViewMapping::pictureColumns(int first, int count) const {
    std::vector<int> columns(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) columns[static_cast<std::size_t>(i)] = pictureColumnAt(first + i);
    return columns;
}

}  // namespace mugwarp
