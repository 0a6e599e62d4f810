#pragma once
#include <QImage>
#include <QRect>
#include <QRectF>

namespace mugwarp {

class OverlayStack;
class ViewMapping;
struct FloatRect;

// Where a rectangle of picture coordinates lies in view pixels (fractional).
QRectF pictureToView(const FloatRect& location, const ViewMapping& mapping);
// The view pixels whose centres lie inside a fractional view rectangle.
QRect coveredViewPixels(const QRectF& viewRect);

// Draws the overlays (when shown) over one rectangle of the view composed in
// buffer (whose top-left pixel is view pixel viewArea.topLeft()): each stretched
// into its place by nearest pixels and blended by its alpha, bottom first.
void renderOverlaysInto(QImage& buffer, const OverlayStack& overlays, const ViewMapping& mapping,
                        const QRect& viewArea);

}  // namespace mugwarp
