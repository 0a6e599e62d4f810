#pragma once
#include <QImage>
#include <QRect>

namespace mugwarp {

class PixelSurface;
class ViewMapping;

// Composes one rectangle of the view: the stretched picture over the
// checkerboard (or over a plain background colour), blended by the picture's
// alpha. Column and row lookups are computed once per call so that a brush
// square repaints in a fraction of a millisecond at any zoom.
QImage renderViewRect(const PixelSurface& picture, const ViewMapping& mapping, const QRect& viewRect,
                      bool checkerboard, QRgb background);
// The same into the top-left corner of buffer, which grows when too small and
// is otherwise reused, so that painting a brush square allocates nothing.
void renderViewRectInto(QImage& buffer, const PixelSurface& picture, const ViewMapping& mapping, const QRect& viewRect,
                        bool checkerboard, QRgb background);

// The checkerboard colour of view pixel (x, y): cells of 8 x 8, cell (0, 0) grey.
QRgb checkerColorAt(int x, int y);

}  // namespace mugwarp
