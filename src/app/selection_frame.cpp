#include "app/selection_frame.h"

#include <QPainter>
#include <array>
#include <cstdlib>
#include <utility>

namespace mugwarp::SelectionFrame {
namespace {

// Handles in the order they win a press that reaches two of them (small frames).
std::array<std::pair<FrameDrag, QPoint>, 8> handles(const QRect& r) {
    const int left = r.left(), right = r.right(), top = r.top(), bottom = r.bottom();
    const int midX = (left + right) / 2, midY = (top + bottom) / 2;
    return {{{FrameDrag::BottomRight, {right, bottom}},
             {FrameDrag::TopLeft, {left, top}},
             {FrameDrag::TopRight, {right, top}},
             {FrameDrag::BottomLeft, {left, bottom}},
             {FrameDrag::Right, {right, midY}},
             {FrameDrag::Bottom, {midX, bottom}},
             {FrameDrag::Left, {left, midY}},
             {FrameDrag::Top, {midX, top}}}};
}

}  // namespace

QRect paintedArea(const QRect& frameRect) {
    const int reach = kHandleHalf + 1;
    return frameRect.adjusted(-reach, -reach, reach, reach);
}

void paint(QPainter& painter, const QRect& r) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // Painter pixel centres lie half a pixel on: draw through the frame's pixels.
    const QRectF line = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(line);
    QPen dashes(Qt::black, 1);
    dashes.setDashPattern({2, 2});
    dashes.setDashOffset(2);
    painter.setPen(dashes);
    painter.drawRect(line);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (const auto& [drag, centre] : handles(r)) {
        (void)drag;
        painter.drawRect(QRectF(centre.x() - kHandleHalf + 0.5, centre.y() - kHandleHalf + 0.5, 2 * kHandleHalf,
                                2 * kHandleHalf));
    }
    painter.restore();
}

FrameDrag hitTest(const QRect& r, QPoint p) {
    if (r.isEmpty()) return FrameDrag::None;
    for (const auto& [drag, centre] : handles(r)) {
        if (std::abs(p.x() - centre.x()) <= kGrabReach && std::abs(p.y() - centre.y()) <= kGrabReach) return drag;
    }
    return r.contains(p) ? FrameDrag::Move : FrameDrag::None;
}

Qt::CursorShape cursorFor(FrameDrag drag) {
    switch (drag) {
    case FrameDrag::Move: return Qt::SizeAllCursor;
    case FrameDrag::Left:
    case FrameDrag::Right: return Qt::SizeHorCursor;
    case FrameDrag::Top:
    case FrameDrag::Bottom: return Qt::SizeVerCursor;
    case FrameDrag::TopLeft:
    case FrameDrag::BottomRight: return Qt::SizeFDiagCursor;
    case FrameDrag::TopRight:
    case FrameDrag::BottomLeft: return Qt::SizeBDiagCursor;
    case FrameDrag::None: break;
    }
    return Qt::ArrowCursor;
}

}  // namespace mugwarp::SelectionFrame
