#pragma once
#include <QCursor>
#include <QRect>

#include "edit/selection_geometry.h"

class QPainter;

namespace mugwarp {

// The look and feel of the selection frame around the selected overlay, in
// view pixels: a dashed outline (2 white, 2 black) with eight square handles
// (black border, white fill) at the corners and edge midpoints.
namespace SelectionFrame {

constexpr int kHandleHalf = 3;    // handles are 7 x 7
constexpr int kGrabReach = 5;     // a press this close to a handle grabs it

// The view pixels the frame and its handles may paint for a frame around frameRect.
QRect paintedArea(const QRect& frameRect);
void paint(QPainter& painter, const QRect& frameRect);
// What a press at p would drag: a handle, the inside (move) or nothing.
FrameDrag hitTest(const QRect& frameRect, QPoint p);
// The pointer shape that tells what a drag will do.
Qt::CursorShape cursorFor(FrameDrag drag);

}  // namespace SelectionFrame
}  // namespace mugwarp
