#include <QtMath>

#include "cartoon.h"
#include "pieces.h"

namespace clipart {
namespace {

const QColor kHair(0x6e, 0x40, 0x1e);

// Strands of hair drawn as short curved strokes inside the shape.
void hairStrands(QPainter& p, const QPainterPath& shape, const QPainterPath& guide, int count, qreal spread, unsigned seed,
                 const QColor& dark, const QColor& light) {
    Scatter scatter(seed);
    for (int i = 0; i < count; ++i) {
        const qreal t = scatter.between(0.02, 0.95);
        const qreal along = scatter.between(0.04, 0.1);
        const qreal side = scatter.between(-spread, spread);
        const QPointF a = guide.pointAtPercent(t);
        const QPointF b = guide.pointAtPercent(std::min(1.0, t + along));
        const qreal angle = qDegreesToRadians(guide.angleAtPercent(t));
        const QPointF normal(std::sin(angle), std::cos(angle));
        QPainterPath strand;
        strand.moveTo(a + normal * side);
        strand.quadTo((a + b) / 2 + normal * (side + 4), b + normal * side * 0.8);
        strokeInside(p, shape, strand, inkPen(scatter.between(1.5, 3), i % 3 ? dark : light));
    }
}

}  // namespace

void drawHandlebarMoustache(QPainter& p) {
    QPainterPath guide;
    guide.moveTo(184, 58);
    guide.cubicTo(222, 34, 270, 40, 294, 70);
    guide.cubicTo(312, 92, 340, 88, 344, 64);
    guide.cubicTo(347, 46, 334, 36, 322, 46);
    const QPainterPath rightHalf = taperedStroke(guide, 52, 5, 0.9);
    const QPainterPath leftHalf = mirrored(rightHalf, 180);
    const QPainterPath moustache = unite({rightHalf, leftHalf, ellipse({180, 62}, 22, 22)});

    inkedShape(p, moustache, vertical(30, 100, lighter(kHair, 0.2), darker(kHair, 0.35)), 0);
    hairStrands(p, moustache, guide, 70, 16, 3, darker(kHair, 0.45), lighter(kHair, 0.35));
    QTransform flip;
    flip.translate(180, 0);
    flip.scale(-1, 1);
    flip.translate(-180, 0);
    hairStrands(p, moustache, flip.map(guide), 70, 16, 4, darker(kHair, 0.45), lighter(kHair, 0.35));
    rimLight(p, moustache, 4, withAlpha(lighter(kHair, 0.6), 150), withAlpha(kInk, 90));
    p.setPen(inkPen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(moustache);
    // The parting under the nose.
    QPainterPath parting;
    parting.moveTo(180, 46);
    parting.lineTo(180, 66);
    strokeInside(p, moustache, parting, inkPen(3, darker(kHair, 0.5)));
}

void drawBeard(QPainter& p) {
    QPainterPath beard;
    beard.moveTo(24, 14);
    beard.lineTo(58, 14);
    beard.cubicTo(62, 110, 104, 184, 170, 188);
    beard.cubicTo(236, 184, 278, 110, 282, 14);
    beard.lineTo(316, 14);
    beard.cubicTo(326, 190, 272, 330, 170, 346);
    beard.cubicTo(68, 330, 14, 190, 24, 14);
    beard.closeSubpath();
    // Tufts along the lower edge make it read as hair rather than a cloth.
    QPainterPath lower;
    lower.moveTo(316, 60);
    lower.cubicTo(320, 200, 272, 326, 170, 342);
    lower.cubicTo(68, 326, 20, 200, 24, 60);
    std::vector<QPainterPath> parts{beard};
    for (int i = 0; i <= 22; ++i) {
        const qreal t = i / 22.0;
        const qreal grow = 1 + 0.8 * std::sin(t * M_PI);
        parts.push_back(circle(lower.pointAtPercent(t), 9 * grow));
    }
    // The point of the beard.
    QPainterPath point;
    point.moveTo(130, 330);
    point.quadTo(170, 392, 176, 376);
    point.quadTo(200, 360, 214, 326);
    point.closeSubpath();
    parts.push_back(point);
    // The mouth stays open under the moustache.
    const QPainterPath shape = unite(parts).subtracted(ellipse({170, 232}, 38, 13));

    QRadialGradient fill(QPointF(150, 160), 240);
    fill.setColorAt(0, lighter(kHair, 0.15));
    fill.setColorAt(1, darker(kHair, 0.3));
    inkedShape(p, shape, fill, 0);
    Scatter curls(19);
    for (int i = 0; i < 220; ++i) {
        const QPointF at(curls.between(20, 320), curls.between(20, 380));
        if (!shape.contains(at)) continue;
        QPainterPath curl;
        const qreal r = curls.between(5, 10);
        const QRectF box(at.x() - r, at.y() - r, 2 * r, 2 * r);
        const qreal start = curls.between(180, 300);
        curl.arcMoveTo(box, start);
        curl.arcTo(box, start, 160);
        strokeInside(p, shape, curl, inkPen(curls.between(2, 3), i % 3 ? darker(kHair, 0.45) : lighter(kHair, 0.4)));
    }
    rimLight(p, shape, 6, withAlpha(lighter(kHair, 0.5), 120), withAlpha(kInk, 110));
    p.setPen(inkPen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void drawClownNose(QPainter& p) {
    const QPointF centre(80, 82);
    const QPainterPath nose = circle(centre, 70);
    inkedShape(p, nose, sphere(centre, 70, QColor(0xe3, 0x1c, 0x2a)), 5);
    paintInside(p, nose, ellipse({56, 52}, 20, 13), withAlpha(Qt::white, 230));
    paintInside(p, nose, circle({86, 44}, 6), withAlpha(Qt::white, 200));
    paintInside(p, nose, ellipse({100, 130}, 34, 10), withAlpha(QColor(0xff, 0x90, 0x90), 110));
}

void drawClownWig(QPainter& p) {
    const QColor orange(0xff, 0x7a, 0x1c);
    // Curls over the ears on both sides, joined by a thin row over the crown.
    std::vector<QPainterPath> parts;
    std::vector<std::pair<QPointF, qreal>> curls;
    Scatter scatter(5);
    for (int side = 0; side < 2; ++side) {
        for (int i = 0; i < 10; ++i) {
            const qreal a = scatter.between(0, 2 * M_PI);
            const qreal d = scatter.between(0, 64);
            QPointF c(108 + d * std::cos(a) * 0.8, 188 + d * std::sin(a) * 0.9);
            if (side) c.setX(460 - c.x());
            curls.push_back({c, scatter.between(30, 42)});
        }
    }
    QPainterPath crownArc;
    crownArc.moveTo(70, 150);
    crownArc.cubicTo(110, 40, 350, 40, 390, 150);
    for (int i = 0; i <= 12; ++i) curls.push_back({crownArc.pointAtPercent(i / 12.0), 28 + 4 * std::sin(i / 12.0 * M_PI)});
    for (const auto& [c, r] : curls) parts.push_back(circle(c, r));
    const QPainterPath wig = unite(parts);

    QLinearGradient fill(0, 30, 0, 290);
    fill.setColorAt(0, QColor(0xff, 0xa2, 0x3c));
    fill.setColorAt(1, QColor(0xe0, 0x48, 0x10));
    inkedShape(p, wig, fill, 0);
    // Frizz: little curls all over, darker and lighter than the hair.
    Scatter frizz(41);
    for (int i = 0; i < 420; ++i) {
        const QPointF at(frizz.between(0, 460), frizz.between(20, 300));
        if (!wig.contains(at)) continue;
        const qreal r = frizz.between(6, 11);
        const QRectF box(at.x() - r, at.y() - r, 2 * r, 2 * r);
        const qreal start = frizz.between(0, 360);
        QPainterPath curl;
        curl.arcMoveTo(box, start);
        curl.arcTo(box, start, 200);
        const QColor tone = i % 3 ? darker(orange, 0.35) : QColor(0xff, 0xd0, 0x80);
        strokeInside(p, wig, curl, inkPen(frizz.between(2, 3), tone));
    }
    rimLight(p, wig, 7, withAlpha(QColor(0xff, 0xe0, 0xa0), 150), withAlpha(kInk, 110));
    p.setPen(inkPen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wig);
}

void drawBunnyEars(QPainter& p) {
    const QColor fur(0xf4, 0xf1, 0xf6);
    const QColor pink(0xf7, 0x9a, 0xb8);
    QPainterPath band;
    band.moveTo(16, 318);
    band.cubicTo(40, 240, 220, 240, 244, 318);
    QPainterPathStroker stroker;
    stroker.setWidth(22);
    stroker.setCapStyle(Qt::RoundCap);
    const QPainterPath headband = stroker.createStroke(band);

    for (const auto& [centre, angle] : {std::pair{QPointF(82, 140), -14.0}, std::pair{QPointF(180, 140), 16.0}}) {
        QTransform tilt;
        tilt.translate(centre.x(), centre.y() + 110);
        tilt.rotate(angle);
        tilt.translate(-centre.x(), -centre.y() - 110);
        QPainterPath ear;
        ear.moveTo(centre + QPointF(-30, 130));
        ear.cubicTo(centre + QPointF(-60, 40), centre + QPointF(-50, -128), centre + QPointF(0, -128));
        ear.cubicTo(centre + QPointF(50, -128), centre + QPointF(60, 40), centre + QPointF(30, 130));
        ear.closeSubpath();
        ear = tilt.map(ear);
        QPainterPath inner;
        inner.moveTo(centre + QPointF(-14, 110));
        inner.cubicTo(centre + QPointF(-36, 30), centre + QPointF(-28, -100), centre + QPointF(0, -104));
        inner.cubicTo(centre + QPointF(28, -100), centre + QPointF(36, 30), centre + QPointF(14, 110));
        inner.closeSubpath();
        inner = tilt.map(inner);
        inkedShape(p, ear, cylinder(centre.x() - 60, centre.x() + 60, fur), 5);
        inkedShape(p, inner, vertical(centre.y() - 100, centre.y() + 110, lighter(pink, 0.3), darker(pink, 0.15)), 0);
        paintInside(p, inner, tilt.map(ellipse(centre + QPointF(-8, -40), 6, 40)), withAlpha(Qt::white, 120));
    }
    QLinearGradient bandColour(0, 240, 0, 330);
    bandColour.setColorAt(0, QColor(0xff, 0x6a, 0xa8));
    bandColour.setColorAt(1, QColor(0xb8, 0x22, 0x68));
    inkedShape(p, headband, bandColour, 5);
    QPainterPath shine;
    shine.moveTo(40, 290);
    shine.cubicTo(70, 258, 190, 258, 220, 290);
    strokeInside(p, headband, shine, inkPen(4, withAlpha(Qt::white, 130)));
}

void drawDevilHorns(QPainter& p) {
    const QColor red(0xd8, 0x1e, 0x22);
    QPainterPath guide;
    guide.moveTo(104, 112);
    guide.cubicTo(84, 80, 60, 50, 22, 14);
    QPainterPath above;
    above.addRect(QRectF(0, 0, 320, 116));
    const QPainterPath left = taperedStroke(guide, 60, 3, 1.3).intersected(above).simplified();
    const QPainterPath right = mirrored(left, 160);
    for (const QPainterPath& horn : {left, right}) {
        const QRectF box = horn.boundingRect();
        inkedShape(p, horn, cylinder(box.left(), box.right(), red), 0);
        // Ridges round the horn.
        for (int i = 1; i <= 4; ++i) {
            const qreal t = i / 5.0;
            const bool isLeft = box.center().x() < 160;
            const QPointF at = isLeft ? guide.pointAtPercent(t) : QPointF(320 - guide.pointAtPercent(t).x(), guide.pointAtPercent(t).y());
            QPainterPath ridge;
            ridge.moveTo(at + QPointF(-30, 6));
            ridge.quadTo(at + QPointF(0, 16), at + QPointF(30, 6));
            strokeInside(p, horn, ridge, inkPen(2.5, darker(red, 0.45)));
        }
        rimLight(p, horn, 4, withAlpha(lighter(red, 0.6), 170), withAlpha(kInk, 100));
        p.setPen(inkPen(5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(horn);
    }
}

}  // namespace clipart
