#pragma once
#include <QImage>

namespace mugwarp {

class PixelSurface;

// Surfaces and Qt images share the 0xAARRGGBB layout; these copy between them.
QImage imageFromSurface(const PixelSurface& surface);
PixelSurface surfaceFromImage(const QImage& image);

}  // namespace mugwarp
