#include "app/palette_artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace mugwarp {

namespace {

constexpr int kSize = 24;
const QColor kInk(40, 40, 48);
const QColor kAccent(214, 70, 52);
const QColor kBlue(60, 120, 210);

void drawMagnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QRectF(3, 3, 12, 12));
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(20, 20));
    p.setPen(QPen(kInk, 1.6));
    p.drawLine(QPointF(6, 9), QPointF(12, 9));
    if (plus) p.drawLine(QPointF(9, 6), QPointF(9, 12));
}

void drawLetter(QPainter& p, const QString& text, int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

void drawPicture(QPainter& p, PalettePicture which) {
    switch (which) {
    case PalettePicture::Arrow: {
        const QPointF arrow[] = {{6, 3}, {6, 19}, {10, 15}, {13, 21}, {15, 20}, {12, 14}, {17, 14}};
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(arrow, 7);
        break;
    }
    case PalettePicture::Delete:
        p.setPen(QPen(kAccent, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case PalettePicture::ZoomIn: drawMagnifier(p, true); break;
    case PalettePicture::ZoomOut: drawMagnifier(p, false); break;
    case PalettePicture::Crop:
        p.setPen(QPen(kInk, 2.4));
        p.drawPolyline(QPolygonF({{7, 2}, {7, 17}, {22, 17}}));
        p.drawPolyline(QPolygonF({{2, 7}, {17, 7}, {17, 22}}));
        break;
    case PalettePicture::Original: drawLetter(p, QStringLiteral("1:1"), 10); break;
    case PalettePicture::Erase: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 160, 170));
        const QPointF block[] = {{4, 15}, {12, 5}, {20, 11}, {12, 21}};
        p.drawPolygon(block, 4);
        p.setBrush(Qt::white);
        const QPointF tip[] = {{4, 15}, {8, 10}, {16, 16}, {12, 21}};
        p.drawPolygon(tip, 4);
        break;
    }
    case PalettePicture::Paint:
        p.setPen(QPen(QColor(150, 100, 50), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 4), QPointF(11, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(4, 12, 9, 9));
        break;
    case PalettePicture::Twirl: {
        QPainterPath spiral;
        spiral.moveTo(12, 12);
        for (int i = 1; i <= 60; ++i) {
            const double angle = i * 0.22;
            const double radius = i * 0.16;
            spiral.lineTo(12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
        }
        p.setPen(QPen(kBlue, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(spiral);
        break;
    }
    case PalettePicture::Pick:
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 19), QPointF(15, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRectF(14, 3, 7, 7));
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(3, 18, 4, 4));
        break;
    case PalettePicture::Putty: {
        QPainterPath blob;
        blob.moveTo(4, 16);
        blob.cubicTo(4, 6, 12, 12, 14, 6);
        blob.cubicTo(20, 4, 22, 14, 18, 18);
        blob.cubicTo(14, 22, 6, 22, 4, 16);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(240, 200, 120));
        p.drawPath(blob);
        break;
    }
    case PalettePicture::Warp: {
        QPainterPath wave;
        wave.moveTo(3, 16);
        wave.cubicTo(8, 4, 14, 22, 20, 8);
        p.setPen(QPen(kBlue, 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        const QPointF head[] = {{17, 5}, {22, 5}, {21, 11}};
        p.drawPolygon(head, 3);
        break;
    }
    case PalettePicture::Text: drawLetter(p, QStringLiteral("T"), 18); break;
    case PalettePicture::Clipart: {
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(250, 210, 60));
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setBrush(kInk);
        p.drawEllipse(QRectF(8, 8, 2.5, 2.5));
        p.drawEllipse(QRectF(14, 8, 2.5, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7, 9, 10, 8), 200 * 16, 140 * 16);
        break;
    }
    case PalettePicture::SizeDrop:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(3, 9, 6, 6));
        p.drawRect(QRectF(11, 7, 10, 10));
        break;
    case PalettePicture::Reconstruct: {
        // An arrow turning back on itself.
        p.setPen(QPen(kBlue, 2.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 14, 14), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        const QPointF head[] = {{12, 1}, {12, 9}, {7, 5}};
        p.drawPolygon(head, 3);
        break;
    }
    case PalettePicture::Smooth: {
        // A jagged line above and its smooth twin below.
        p.setPen(QPen(kInk, 1.6));
        const QPointF jagged[] = {{3, 9}, {7, 4}, {10, 10}, {14, 3}, {17, 9}, {21, 5}};
        p.drawPolyline(jagged, 6);
        QPainterPath wave;
        wave.moveTo(3, 18);
        wave.cubicTo(9, 13, 15, 22, 21, 16);
        p.setPen(QPen(kBlue, 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case PalettePicture::Freeze:
    case PalettePicture::Thaw: {
        // A snowflake; Thaw crosses it out.
        p.setPen(QPen(QColor(70, 150, 220), 2, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i) {
            const double a = i * M_PI / 3 + M_PI / 2;
            p.drawLine(QPointF(12 + 9 * std::cos(a), 12 + 9 * std::sin(a)), QPointF(12 - 9 * std::cos(a), 12 - 9 * std::sin(a)));
        }
        if (which == PalettePicture::Thaw) {
            p.setPen(QPen(kAccent, 2.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, 20), QPointF(20, 4));
        }
        break;
    }
    }
}

}  // namespace

QIcon paletteIcon(PalettePicture which) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPicture(painter, which);
    painter.end();
    return QIcon(pixmap);
}

QIcon squareSizeIcon(int size) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    const int edge = std::clamp(size, 1, 28);
    painter.fillRect(QRect((32 - edge) / 2, (32 - edge) / 2, edge, edge), kInk);
    painter.end();
    return QIcon(pixmap);
}

QIcon colourSwatch(const QColor& colour, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(kInk);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace mugwarp
