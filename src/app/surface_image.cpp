#include "app/surface_image.h"

#include <cstring>

#include "raster/pixel_surface.h"

namespace mugwarp {

QImage imageFromSurface(const PixelSurface& surface) {
    QImage image(surface.width(), surface.height(), QImage::Format_ARGB32);
    for (int y = 0; y < surface.height(); ++y)
        std::memcpy(image.scanLine(y), surface.row(y), static_cast<std::size_t>(surface.width()) * sizeof(Argb));
    return image;
}

PixelSurface surfaceFromImage(const QImage& image) {
    const QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    PixelSurface surface(converted.width(), converted.height());
    for (int y = 0; y < converted.height(); ++y)
        std::memcpy(surface.row(y), converted.constScanLine(y), static_cast<std::size_t>(converted.width()) * sizeof(Argb));
    return surface;
}

}  // namespace mugwarp
