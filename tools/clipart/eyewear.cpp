#include <QtMath>

#include "cartoon.h"
#include "pieces.h"

namespace clipart {

void drawRoundGlasses(QPainter& p) {
    const QColor frame(0x5a, 0x36, 0x22);
    const QPointF left(106, 80), right(274, 80);
    const qreal outer = 68, inner = 56;

    QPainterPath bridge;
    bridge.moveTo(168, 74);
    bridge.cubicTo(178, 52, 202, 52, 212, 74);
    QPainterPath templeLeft, templeRight;
    templeLeft.moveTo(40, 66);
    templeLeft.lineTo(8, 58);
    templeRight = mirrored(templeLeft, 190);
    QPainterPathStroker stroker;
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setWidth(10);
    const QPainterPath frames = unite({circle(left, outer), circle(right, outer), stroker.createStroke(bridge),
                                       stroker.createStroke(templeLeft), stroker.createStroke(templeRight)})
                                    .subtracted(circle(left, inner))
                                    .subtracted(circle(right, inner));
    QLinearGradient tortoise(0, 10, 0, 150);
    tortoise.setColorAt(0, lighter(frame, 0.3));
    tortoise.setColorAt(0.5, frame);
    tortoise.setColorAt(1, darker(frame, 0.4));
    inkedShape(p, frames, tortoise, 0);
    // Tortoiseshell mottling.
    Scatter spots(11);
    for (int i = 0; i < 60; ++i) {
        const qreal a = spots.between(0, 2 * M_PI);
        const QPointF centre = (i % 2 ? left : right) + QPointF(62 * std::cos(a), 62 * std::sin(a));
        paintInside(p, frames, ellipse(centre, spots.between(3, 7), spots.between(2, 4)),
                    withAlpha(i % 3 ? darker(frame, 0.45) : QColor(0xc0, 0x7a, 0x38), 170));
    }
    rimLight(p, frames, 3, withAlpha(Qt::white, 90), withAlpha(kInk, 90));
    p.setPen(inkPen(4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frames);

    // Glints on the glass, each a sliver that keeps clear of the lens edge.
    for (const QPointF& c : {left, right}) {
        QPainterPath glint;
        glint.moveTo(c + QPointF(-36, -8));
        glint.cubicTo(c + QPointF(-34, -26), c + QPointF(-24, -34), c + QPointF(-8, -38));
        inkedShape(p, taperedStroke(glint, 9, 5), QColor(Qt::white), 0);
        inkedShape(p, circle(c + QPointF(-37, 6), 4.5), QColor(Qt::white), 0);
    }
}

void drawSunglasses(QPainter& p) {
    QPainterPath lens;
    lens.moveTo(34, 42);
    lens.lineTo(178, 42);
    lens.cubicTo(180, 80, 172, 122, 128, 128);
    lens.cubicTo(90, 132, 50, 126, 40, 100);
    lens.cubicTo(34, 84, 32, 60, 34, 42);
    lens.closeSubpath();
    const QPainterPath lenses = lens.united(mirrored(lens, 200));

    QPainterPath brow;
    brow.moveTo(12, 40);
    brow.cubicTo(60, 22, 140, 24, 180, 32);
    brow.cubicTo(194, 36, 206, 36, 220, 32);
    brow.cubicTo(260, 24, 340, 22, 388, 40);
    QPainterPathStroker browStroker;
    browStroker.setWidth(18);
    browStroker.setCapStyle(Qt::RoundCap);
    QPainterPathStroker rimStroker;
    rimStroker.setWidth(10);
    rimStroker.setJoinStyle(Qt::RoundJoin);
    const QPainterPath frame = browStroker.createStroke(brow).united(rimStroker.createStroke(lenses)).simplified();
    const QPainterPath whole = frame.united(lenses).simplified();

    QLinearGradient tint(0, 40, 0, 130);
    tint.setColorAt(0, QColor(0x3a, 0x2a, 0x6a));
    tint.setColorAt(0.55, QColor(0x12, 0x14, 0x2e));
    tint.setColorAt(1, QColor(0x2a, 0x50, 0x80));
    inkedShape(p, lenses, tint, 0);
    // Reflections: two slanted bands across each lens.
    for (qreal offset : {0.0, 166.0}) {
        QPainterPath band;
        band.moveTo(offset + 70, 40);
        band.lineTo(offset + 100, 40);
        band.lineTo(offset + 60, 130);
        band.lineTo(offset + 30, 130);
        band.closeSubpath();
        QPainterPath thin;
        thin.moveTo(offset + 112, 40);
        thin.lineTo(offset + 122, 40);
        thin.lineTo(offset + 82, 130);
        thin.lineTo(offset + 72, 130);
        thin.closeSubpath();
        paintInside(p, lenses, band, withAlpha(Qt::white, 70));
        paintInside(p, lenses, thin, withAlpha(Qt::white, 55));
    }
    inkedShape(p, frame, vertical(20, 130, QColor(0x3c, 0x3a, 0x44), QColor(0x0e, 0x0d, 0x12)), 0);
    QPainterPath browShine;
    browShine.moveTo(30, 34);
    browShine.cubicTo(70, 24, 130, 24, 170, 30);
    strokeInside(p, frame, browShine, inkPen(3, withAlpha(Qt::white, 110)));
    strokeInside(p, frame, mirrored(browShine, 200), inkPen(3, withAlpha(Qt::white, 110)));
    p.setPen(inkPen(3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(whole);
    // Hinge studs.
    for (qreal x : {26.0, 374.0}) inkedShape(p, circle({x, 42}, 4), QColor(0xd8, 0xd8, 0xe0), 0);
}

void drawGooglyEyes(QPainter& p) {
    const QPointF left(88, 86), right(242, 86);
    const qreal r = 74;
    for (const auto& [centre, pupilOffset] : {std::pair{left, QPointF(20, 16)}, std::pair{right, QPointF(-24, 12)}}) {
        const QPainterPath ball = circle(centre, r);
        QRadialGradient white(centre - QPointF(20, 24), r * 1.3);
        white.setColorAt(0, Qt::white);
        white.setColorAt(0.6, QColor(0xf4, 0xf4, 0xf8));
        white.setColorAt(1, QColor(0xb8, 0xbc, 0xcc));
        inkedShape(p, ball, white, 6);
        const QPointF pupil = centre + pupilOffset;
        inkedShape(p, circle(pupil, 34), sphere(pupil, 34, QColor(0x1a, 0x18, 0x22)), 0);
        inkedShape(p, circle(pupil + QPointF(-12, -13), 9), QColor(Qt::white), 0);
        inkedShape(p, circle(pupil + QPointF(12, 12), 4), QColor(Qt::white), 0);
        // A shine on the plastic dome.
        QPainterPath arc;
        arc.arcMoveTo(QRectF(centre.x() - 58, centre.y() - 58, 116, 116), 110);
        arc.arcTo(QRectF(centre.x() - 58, centre.y() - 58, 116, 116), 110, 45);
        strokeInside(p, ball, arc, inkPen(7, withAlpha(Qt::white, 200)));
    }
}

}  // namespace clipart
