#include "app/overlay_renderer.h"

#include <QtMath>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/view_mapping.h"
#include "edit/overlay_stack.h"

namespace mugwarp {
namespace {

inline std::uint32_t blendOnto(std::uint32_t source, std::uint32_t backdrop) {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 255) return source;
    if (alpha == 0) return backdrop;
    const std::uint32_t inverse = 255 - alpha;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t mixed = ((source >> shift) & 0xFF) * alpha + ((backdrop >> shift) & 0xFF) * inverse + 127;
        out |= ((mixed + (mixed >> 8)) >> 8) << shift;
    }
    return out;
}

// Source index for each view pixel of [first, first + count) across a span
// that starts at viewStart and is viewLength long, showing sourceLength pixels.
void sourceIndices(std::vector<int>& out, int first, int count, double viewStart, double viewLength,
                   int sourceLength) {
    out.resize(static_cast<std::size_t>(count));
    const double perPixel = sourceLength / viewLength;
    for (int i = 0; i < count; ++i) {
        const int s = static_cast<int>(std::floor((first + i + 0.5 - viewStart) * perPixel));
        out[static_cast<std::size_t>(i)] = std::clamp(s, 0, sourceLength - 1);
    }
}

}  // namespace

QRectF pictureToView(const FloatRect& location, const ViewMapping& mapping) {
    if (mapping.isEmpty()) return {};
    const double sx = static_cast<double>(mapping.viewSize().width()) / mapping.pictureSize().width();
    const double sy = static_cast<double>(mapping.viewSize().height()) / mapping.pictureSize().height();
    return QRectF(QPointF(location.left * sx, location.top * sy), QPointF(location.right * sx, location.bottom * sy));
}

QRect coveredViewPixels(const QRectF& r) {
    // Pixel v is covered when its centre v + 0.5 lies in [left, right).
    const auto first = [](double edge) { return static_cast<int>(std::ceil(std::clamp(edge - 0.5, -1e9, 1e9))); };
    const int left = first(r.left());
    const int top = first(r.top());
    const int right = first(r.right());
    const int bottom = first(r.bottom());
    if (right <= left || bottom <= top) return {};
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void renderOverlaysInto(QImage& buffer, const OverlayStack& overlays, const ViewMapping& mapping,
                        const QRect& viewArea) {
    if (!overlays.visible() || overlays.isEmpty() || mapping.isEmpty()) return;
    std::vector<int> columns;
    for (std::size_t i = 0; i < overlays.size(); ++i) {
        const Overlay& overlay = overlays.at(i);
        const PixelSurface& picture = *overlay.picture;
        if (picture.isEmpty()) continue;
        const QRectF place = pictureToView(overlay.location, mapping);
        const QRect area = coveredViewPixels(place) & viewArea;
        if (area.isEmpty() || place.width() <= 0 || place.height() <= 0) continue;
        sourceIndices(columns, area.left(), area.width(), place.left(), place.width(), picture.width());
        const double rowsPerPixel = picture.height() / place.height();
        const bool blend = picture.drawMode() == DrawMode::Blend;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const int sourceRow = std::clamp(static_cast<int>(std::floor((y + 0.5 - place.top()) * rowsPerPixel)), 0,
                                             picture.height() - 1);
            const Argb* source = picture.row(sourceRow);
            auto* target = reinterpret_cast<std::uint32_t*>(buffer.scanLine(y - viewArea.top())) +
                           (area.left() - viewArea.left());
            const int count = area.width();
            if (blend) {
                for (int x = 0; x < count; ++x) target[x] = blendOnto(source[columns[static_cast<std::size_t>(x)]], target[x]);
            } else {
                for (int x = 0; x < count; ++x) target[x] = source[columns[static_cast<std::size_t>(x)]] | 0xFF000000u;
            }
        }
    }
}

}  // namespace mugwarp
