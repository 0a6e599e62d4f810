#include "app/flat_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include "document/flat_picture.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

namespace {

QPoint viewPixelAt(QPointF position) { return QPoint(qFloor(position.x()), qFloor(position.y())); }

}  // namespace

FlatView::FlatView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DstImg1"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    move(0, 0);
    resize(parent->size());
    parent->installEventFilter(this);
    hide();
}

bool FlatView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) resize(parentWidget()->size());
    return QWidget::eventFilter(watched, event);
}

void FlatView::setPicture(const PlatformBitmap* picture) {
    picture_ = picture;
    pictureReplaced();
}

void FlatView::updateMapping() {
    const QSize pictureSize = picture_ ? QSize(picture_->width(), picture_->height()) : QSize();
    mapping_ = ViewMapping(pictureSize, size());
}

void FlatView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateMapping();
}

void FlatView::pictureReplaced() {
    updateMapping();
    update();
}

void FlatView::pictureChanged(const QRect& pictureRect) {
    if (!picture_ || mapping_.pictureSize() != QSize(picture_->width(), picture_->height())) {
        pictureReplaced();
        return;
    }
    const QRect area = mapping_.pictureRectToView(pictureRect);
    if (!area.isEmpty()) update(area);
}

void FlatView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const bool drawable = picture_ && !picture_->isEmpty() && picture_->bitsPerPixel() == 32 && !mapping_.isEmpty() &&
                          mapping_.pictureSize() == QSize(picture_->width(), picture_->height());
    for (const QRect& region : event->region()) {
        const QRect area = region & rect();
        if (area.isEmpty()) continue;
        if (!drawable) {
            painter.fillRect(area, palette().color(QPalette::Button));
            continue;
        }
        if (buffer_.width() < area.width() || buffer_.height() < area.height())
            buffer_ = QImage(area.size().expandedTo(buffer_.size()), QImage::Format_RGB32);
        const std::vector<int> columns = mapping_.pictureColumns(area.left(), area.width());
        for (int row = 0; row < area.height(); ++row) {
            const Argb* from = flatRow(*picture_, mapping_.pictureRowAt(area.top() + row));
            auto* to = reinterpret_cast<QRgb*>(buffer_.scanLine(row));
            for (int i = 0; i < area.width(); ++i) to[i] = from[columns[static_cast<std::size_t>(i)]] | 0xFF000000u;
        }
        painter.drawImage(area.topLeft(), buffer_, QRect(QPoint(0, 0), area.size()));
    }
}

void FlatView::mousePressEvent(QMouseEvent* event) { emit pressed(viewPixelAt(event->position()), event->button()); }

void FlatView::mouseMoveEvent(QMouseEvent* event) { emit moved(viewPixelAt(event->position()), event->buttons()); }

void FlatView::mouseReleaseEvent(QMouseEvent* event) {
    emit released(viewPixelAt(event->position()), event->button());
}

}  // namespace mugwarp
