#include "app/image_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QEnterEvent>
#include <QMouseEvent>
#include <QtMath>
#include <QPaintEvent>
#include <QPainter>
#include <QTabletEvent>

#include "app/view_renderer.h"
#include "raster/pixel_surface.h"
#include "warp/brush_outline.h"

namespace mugwarp {
namespace {

// The view pixel under a pointer position (positions can be fractional on scaled screens).
QPoint viewPixelAt(QPointF position) { return QPoint(qFloor(position.x()), qFloor(position.y())); }

}  // namespace

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // The window, not the view, owns the keyboard: arrows zoom or tune the brush.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAutoFillBackground(false);
}

void ImageView::setSurface(const PixelSurface* surface) {
    surface_ = surface;
    pictureReplaced();
}

void ImageView::setViewSize(QSize size) {
    resize(size);
    updateMapping();
}

void ImageView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMapping();
}

void ImageView::updateMapping() {
    const QSize pictureSize = surface_ ? QSize(surface_->width(), surface_->height()) : QSize();
    const QRegion outlineBefore = outlineRegion();
    mapping_ = ViewMapping(pictureSize, size());
    // The outline's size in view pixels follows the zoom.
    if (outlineVisible_) update(outlineBefore.united(outlineRegion()));
}

void ImageView::pictureChanged(const QRect& pictureRect) {
    if (mapping_.pictureSize() != (surface_ ? QSize(surface_->width(), surface_->height()) : QSize())) {
        pictureReplaced();
        return;
    }
    requestRepaint(mapping_.pictureRectToView(pictureRect));
}

void ImageView::pictureReplaced() {
    updateMapping();
    requestRepaint(rect());
}

void ImageView::requestRepaint(const QRect& viewRect) {
    lastRepaintRequest_ = viewRect;
    if (!viewRect.isEmpty()) update(viewRect);
}

void ImageView::setCheckerboardVisible(bool visible) {
    if (visible == checkerboardVisible_) return;
    checkerboardVisible_ = visible;
    update();
}

// The disc spans size x zoom view pixels; the circle runs through the
// centres of its outermost pixels.
double ImageView::brushOutlineViewRadius() const {
    return std::max(0.0, (outlineSize_ * mapping_.viewPixelsPerPicturePixel() - 1) / 2);
}

int ImageView::brushOutlineRadius() const { return qRound(brushOutlineViewRadius()); }

QRect ImageView::outlineBounds() const {
    const int reach = qCeil(brushOutlineViewRadius()) + 2;
    return QRect(outlineCentre_.x() - reach, outlineCentre_.y() - reach, 2 * reach + 1, 2 * reach + 1);
}

// Where the outline lies: its square for a small circle; for a large one a
// chain of small boxes along the circle, so that moving a big brush at a high
// zoom repaints the ring, not the whole picture inside it.
QRegion ImageView::outlineRegion() const {
    constexpr double kSquareUpTo = 48;  // view pixels of radius
    constexpr double kArc = 32;         // view pixels of circle per box
    const double radius = brushOutlineViewRadius();
    if (radius <= kSquareUpTo) return QRegion(outlineBounds());
    const int boxes = qCeil(2 * M_PI * radius / kArc);
    // The arc bulges out of its chord by up to kArc^2 / (8 r); the dashes may
    // lie a pixel either side of the true circle.
    const int margin = 3 + qCeil(kArc * kArc / (8 * radius));
    const QPointF centre(outlineCentre_.x() + 0.5, outlineCentre_.y() + 0.5);
    QRegion region;
    QPointF from = centre + QPointF(radius, 0);
    for (int i = 1; i <= boxes; ++i) {
        const double angle = 2 * M_PI * i / boxes;
        const QPointF to = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        region += QRectF(from, to).normalized().toAlignedRect().adjusted(-margin, -margin, margin, margin);
        from = to;
    }
    return region;
}

void ImageView::setBrushOutlineVisible(bool visible) {
    if (visible == outlineVisible_) return;
    outlineVisible_ = visible;
    update(outlineRegion());
}

void ImageView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    pointerInside_ = true;
    moveBrushOutline(viewPixelAt(event->position()));
    if (outlineVisible_) update(outlineRegion());
}

// The outline stands for the pointer: where there is no pointer, there is no outline.
void ImageView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    pointerInside_ = false;
    if (outlineVisible_) update(outlineRegion());
}

void ImageView::setBrushOutlineSize(int picturePixels) {
    if (picturePixels == outlineSize_) return;
    const QRegion before = outlineRegion();
    outlineSize_ = picturePixels;
    if (outlineVisible_) update(before.united(outlineRegion()));
}

void ImageView::moveBrushOutline(QPoint centre) {
    if (centre == outlineCentre_) return;
    const QRegion before = outlineRegion();
    outlineCentre_ = centre;
    if (outlineVisible_) {
        update(before);
        update(outlineRegion());
    }
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRgb background = palette().color(QPalette::Button).rgb();
    for (const QRect& area : event->region()) {
        const QRect pictureArea = area & rect();
        if (surface_ && !surface_->isEmpty() && !mapping_.isEmpty() && !pictureArea.isEmpty()) {
            renderViewRectInto(paintBuffer_, *surface_, mapping_, pictureArea, checkerboardVisible_, background);
            if (layers_) layers_->renderInto(paintBuffer_, pictureArea);
            if (guides_) guides_->renderInto(paintBuffer_, pictureArea);
            // An image of exactly the area under a clip of exactly the area
            // is one plain copy on this thread; any other shape goes through
            // the painter's span filling, which hands large batches to worker
            // threads and waits for them (slow frames on a busy machine).
            painter.setClipRect(pictureArea);
            painter.drawImage(pictureArea.topLeft(), QImage(paintBuffer_.constBits(), pictureArea.width(),
                                                            pictureArea.height(), paintBuffer_.bytesPerLine(),
                                                            paintBuffer_.format()));
            painter.setClipping(false);
        } else {
            painter.fillRect(area, QColor::fromRgb(background));
        }
    }
    if (layers_) layers_->paintOver(painter, event->rect());
    if (guides_) guides_->paintOver(painter, event->rect());
    if (brushOutlineDrawn() && event->rect().intersects(outlineBounds())) {
        // Equal dashes alternating black and white keep the outline readable
        // on light and dark pictures alike.
        // Drawn in device pixels, so that on a scaled screen the dashes stay
        // one device pixel wide and the circle keeps the brush's true size.
        const qreal ratio = devicePixelRatioF();
        BrushOutline outline;
        outline.setRadius(qRound(((2 * brushOutlineViewRadius() + 1) * ratio - 1) / 2));
        outline.setCenter({qFloor((outlineCentre_.x() + 0.5) * ratio), qFloor((outlineCentre_.y() + 0.5) * ratio)});
        painter.save();
        painter.scale(1 / ratio, 1 / ratio);
        painter.setRenderHint(QPainter::Antialiasing, false);
        // Segment ends are pixel centres; the painter's pixel centres lie half a pixel further on.
        const QPointF centreOffset(0.5, 0.5);
        // Two batches, one per colour: a pen change per dash costs more than
        // the dashes themselves on a large brush.
        const std::vector<BrushOutline::Segment> segments = outline.segments();
        QVector<QLineF> dashes[2];
        for (const BrushOutline::Segment& segment : segments) {
            const int batch = segment.color == segments.front().color ? 0 : 1;
            dashes[batch].append(QLineF(QPointF(segment.x1, segment.y1) + centreOffset,
                                        QPointF(segment.x2, segment.y2) + centreOffset));
        }
        for (int batch = 0; batch < 2 && !segments.empty(); ++batch) {
            const Argb color = batch == 0 ? segments.front().color : segments[1 % segments.size()].color;
            painter.setPen(QPen(QColor::fromRgba(color), 1));
            // A few dashes per call: the painter fills a call's spans on
            // worker threads once there are more than about a hundred.
            constexpr qsizetype kDashesPerCall = 8;
            for (qsizetype first = 0; first < dashes[batch].size(); first += kDashesPerCall)
                painter.drawLines(dashes[batch].constData() + first,
                                  static_cast<int>(std::min(kDashesPerCall, dashes[batch].size() - first)));
        }
        painter.restore();
    }
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    penPressure_ = 1.0;
    emit pressed(viewPixelAt(event->position()), event->button(), event->buttons());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    // A move is as good as an enter (synthetic moves come without one).
    if (!pointerInside_) {
        pointerInside_ = true;
        if (outlineVisible_) update(outlineRegion());
    }
    penPressure_ = 1.0;
    emit moved(viewPixelAt(event->position()), event->buttons());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    penPressure_ = 1.0;
    emit released(viewPixelAt(event->position()), event->button(), event->buttons());
}

// A pen acts as the mouse does, with its pressure; accepted, so that no
// mouse event is made from it as well.
void ImageView::tabletEvent(QTabletEvent* event) {
    penPressure_ = qBound(0.0, event->pressure(), 1.0);
    const QPoint at = viewPixelAt(event->position());
    switch (event->type()) {
    case QEvent::TabletPress: emit pressed(at, event->button(), event->buttons()); break;
    case QEvent::TabletMove:
        if (!pointerInside_) {
            pointerInside_ = true;
            if (outlineVisible_) update(outlineBounds());
        }
        emit moved(at, event->buttons());
        break;
    case QEvent::TabletRelease: emit released(at, event->button(), event->buttons()); break;
    default: return;
    }
    event->accept();
}

}  // namespace mugwarp
