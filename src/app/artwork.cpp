#include "app/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace mugwarp {
namespace {

const QColor kInk(40, 30, 60);
const QColor kSkin(250, 208, 160);
const QColor kAccent(230, 90, 40);

// A caricature head: huge forehead, tiny chin, one bulging eye.
void drawMug(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath head;
    head.moveTo(box.left() + 0.5 * w, box.top() + 0.98 * h);
    head.cubicTo(box.left() + 0.25 * w, box.top() + 0.95 * h, box.left() - 0.02 * w, box.top() + 0.35 * h,
                 box.left() + 0.2 * w, box.top() + 0.12 * h);
    head.cubicTo(box.left() + 0.4 * w, box.top() - 0.06 * h, box.left() + 0.85 * w, box.top() - 0.02 * h,
                 box.left() + 0.95 * w, box.top() + 0.3 * h);
    head.cubicTo(box.left() + 1.02 * w, box.top() + 0.6 * h, box.left() + 0.7 * w, box.top() + 0.96 * h,
                 box.left() + 0.5 * w, box.top() + 0.98 * h);
    painter.setPen(QPen(kInk, qMax<qreal>(1.0, w / 40)));
    painter.setBrush(kSkin);
    painter.drawPath(head);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(box.left() + 0.22 * w, box.top() + 0.32 * h, 0.28 * w, 0.26 * h));
    painter.drawEllipse(QRectF(box.left() + 0.6 * w, box.top() + 0.4 * h, 0.14 * w, 0.12 * h));
    painter.setBrush(kInk);
    painter.drawEllipse(QRectF(box.left() + 0.33 * w, box.top() + 0.42 * h, 0.1 * w, 0.1 * h));
    painter.drawEllipse(QRectF(box.left() + 0.65 * w, box.top() + 0.44 * h, 0.05 * w, 0.05 * h));
    painter.setBrush(kAccent);
    painter.drawEllipse(QRectF(box.left() + 0.48 * w, box.top() + 0.5 * h, 0.2 * w, 0.2 * h));
    painter.setBrush(Qt::NoBrush);
    QPainterPath grin;
    grin.moveTo(box.left() + 0.35 * w, box.top() + 0.78 * h);
    grin.quadTo(box.left() + 0.55 * w, box.top() + 0.92 * h, box.left() + 0.75 * w, box.top() + 0.74 * h);
    painter.drawPath(grin);
    painter.restore();
}

void drawBackdrop(QPainter& painter, const QRect& area) {
    QLinearGradient sky(area.topLeft(), area.bottomRight());
    sky.setColorAt(0, QColor(255, 236, 150));
    sky.setColorAt(1, QColor(120, 200, 235));
    painter.fillRect(area, sky);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 6));
    for (int x = -area.height(); x < area.width(); x += 36)
        painter.drawLine(x, area.height(), x + area.height(), 0);
}

void drawTitle(QPainter& painter, const QRect& area, int pointSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pointSize);
    painter.setFont(font);
    painter.setPen(kInk);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Mugwarp\nStudio 3.0"));
}

// A hook arrow pointing back (left).
void drawUndoArrow(QPainter& painter) {
    painter.setPen(QPen(kAccent, 2));
    painter.setBrush(Qt::NoBrush);
    QPainterPath hook;
    hook.moveTo(4, 6);
    hook.cubicTo(9, 2, 15, 5, 13, 13);
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    const QPointF tip[] = {{1, 6}, {7, 2}, {7, 10}};
    painter.drawPolygon(tip, 3);
}

QPixmap drawnIcon(ToolbarPicture which) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kInk, 1));
    switch (which) {
    case ToolbarPicture::Open:
        painter.setBrush(QColor(240, 200, 90));
        painter.drawRect(QRectF(1.5, 4.5, 13, 9));
        painter.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case ToolbarPicture::Save:
        painter.setBrush(QColor(70, 110, 190));
        painter.drawRect(QRectF(1.5, 1.5, 13, 13));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(QColor(200, 200, 200));
        painter.drawRect(QRectF(4.5, 9.5, 7, 5));
        break;
    case ToolbarPicture::Print:
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(QColor(150, 150, 160));
        painter.drawRect(QRectF(1.5, 6.5, 13, 5));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 9.5, 7, 5));
        break;
    case ToolbarPicture::Reload: {
        painter.setPen(QPen(QColor(30, 140, 60), 2));
        painter.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 300 * 16);
        painter.setBrush(QColor(30, 140, 60));
        painter.setPen(Qt::NoPen);
        const QPointF tip[] = {{14.5, 1.5}, {14.5, 7.5}, {8.5, 5.5}};
        painter.drawPolygon(tip, 3);
        break;
    }
    case ToolbarPicture::Undo:
        drawUndoArrow(painter);
        break;
    case ToolbarPicture::Redo:
        // The undo arrow turned to point forward.
        painter.translate(16, 0);
        painter.scale(-1, 1);
        drawUndoArrow(painter);
        break;
    case ToolbarPicture::Tutorial: {
        painter.setBrush(QColor(60, 130, 220));
        painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(12);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    return pixmap;
}

void useSmallText(QPainter& painter) {
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(14);
    painter.setFont(small);
    painter.setPen(kInk);
}

void drawFrame(QPainter& painter, const QRect& bounds) {
    painter.setPen(QPen(kInk, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bounds.adjusted(1, 1, -2, -2));
}

}  // namespace

QPixmap splashPicture() {
    QPixmap pixmap(464, 335);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawBackdrop(painter, pixmap.rect());
    drawMug(painter, QRectF(250, 40, 190, 260));
    drawTitle(painter, QRect(24, 40, 230, 120), 40);
    useSmallText(painter);
    painter.drawText(QRect(24, 270, 300, 40), Qt::AlignLeft, QStringLiteral("Putty \u00b7 Warp \u00b7 Twirl"));
    drawFrame(painter, pixmap.rect());
    return pixmap;
}

QPixmap aboutPicture() {
    QPixmap pixmap(600, 308);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawBackdrop(painter, pixmap.rect());
    drawMug(painter, QRectF(24, 30, 170, 240));
    drawTitle(painter, QRect(230, 40, 340, 120), 36);
    useSmallText(painter);
    painter.drawText(QRect(230, 170, 340, 110), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Turn portraits into caricatures with three live warp brushes.\n\n"
                                    "Left button pulls one way, right button the other."));
    drawFrame(painter, pixmap.rect());
    return pixmap;
}

QPixmap aboutCloseButtonPicture() {
    QPixmap pixmap(25, 25);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kInk, 2));
    painter.setBrush(kAccent);
    painter.drawEllipse(QRectF(2, 2, 21, 21));
    painter.setPen(QPen(Qt::white, 3));
    painter.drawLine(QPointF(8, 8), QPointF(17, 17));
    painter.drawLine(QPointF(17, 8), QPointF(8, 17));
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawMug(painter, QRectF(size * 0.1, size * 0.05, size * 0.8, size * 0.9));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon toolbarIcon(ToolbarPicture which) { return QIcon(drawnIcon(which)); }

}  // namespace mugwarp
