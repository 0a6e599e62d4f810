#include "app/view_renderer.h"

#include <cstdint>
#include <vector>

#include "app/image_view.h"
#include "app/view_mapping.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

inline std::uint32_t blendOver(std::uint32_t source, std::uint32_t backdrop) {
    const std::uint32_t alpha = source >> 24;
    if (alpha == 255) return source | 0xFF000000u;
    if (alpha == 0) return backdrop;
    const std::uint32_t inverse = 255 - alpha;
    auto channel = [&](int shift) {
        const std::uint32_t s = (source >> shift) & 0xFF;
        const std::uint32_t d = (backdrop >> shift) & 0xFF;
        const std::uint32_t mixed = s * alpha + d * inverse + 127;
        return ((mixed + (mixed >> 8)) >> 8) << shift;
    };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

}  // namespace

QRgb checkerColorAt(int x, int y) {
    return ((x >> 3) & 1) == ((y >> 3) & 1) ? ImageView::kCheckerGrey : ImageView::kCheckerWhite;
}

QImage renderViewRect(const PixelSurface& picture, const ViewMapping& mapping, const QRect& viewRect,
                      bool checkerboard, QRgb background) {
    QImage image(viewRect.size(), QImage::Format_RGB32);
    renderViewRectInto(image, picture, mapping, viewRect, checkerboard, background);
    return image;
}

void renderViewRectInto(QImage& image, const PixelSurface& picture, const ViewMapping& mapping, const QRect& viewRect,
                        bool checkerboard, QRgb background) {
    if (viewRect.isEmpty()) return;
    if (image.width() < viewRect.width() || image.height() < viewRect.height() || image.format() != QImage::Format_RGB32)
        image = QImage(viewRect.size().expandedTo(image.size()), QImage::Format_RGB32);
    const std::vector<int> columns = mapping.pictureColumns(viewRect.left(), viewRect.width());
    const int width = viewRect.width();
    for (int row = 0; row < viewRect.height(); ++row) {
        const int viewY = viewRect.top() + row;
        const Argb* source = picture.row(mapping.pictureRowAt(viewY));
        auto* target = reinterpret_cast<std::uint32_t*>(image.scanLine(row));
        if (checkerboard) {
            for (int i = 0; i < width; ++i)
                target[i] = blendOver(source[columns[static_cast<std::size_t>(i)]], checkerColorAt(viewRect.left() + i, viewY));
        } else {
            for (int i = 0; i < width; ++i)
                target[i] = blendOver(source[columns[static_cast<std::size_t>(i)]], background);
        }
    }
}

}  // namespace mugwarp
