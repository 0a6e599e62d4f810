#include <QtMath>

#include "cartoon.h"
#include "pieces.h"

namespace clipart {

void drawTopHat(QPainter& p) {
    const QColor felt(0x3a, 0x37, 0x48);
    const QColor ribbon(0xc8, 0x22, 0x32);
    const qreal ink = 5;

    const QPainterPath brim = ellipse({150, 206}, 140, 32);
    inkedShape(p, brim, vertical(174, 238, lighter(felt, 0.2), darker(felt, 0.5)), ink);
    rimLight(p, brim, 6, lighter(felt, 0.35), darker(felt, 0.55));
    paintInside(p, brim, ellipse({150, 200}, 80, 18), darker(felt, 0.6));

    QPainterPath crown;
    crown.moveTo(70, 38);
    crown.cubicTo(76, 90, 80, 150, 74, 202);
    crown.cubicTo(110, 226, 190, 226, 226, 202);
    crown.cubicTo(220, 150, 224, 90, 230, 38);
    crown.closeSubpath();
    inkedShape(p, crown, cylinder(70, 230, felt), 0);

    QPainterPath band;
    band.moveTo(60, 160);
    band.cubicTo(110, 178, 190, 178, 240, 160);
    band.lineTo(240, 240);
    band.lineTo(60, 240);
    band.closeSubpath();
    paintInside(p, crown, band, cylinder(70, 230, ribbon));
    QPainterPath bandEdge;
    bandEdge.moveTo(60, 160);
    bandEdge.cubicTo(110, 178, 190, 178, 240, 160);
    strokeInside(p, crown, bandEdge, inkPen(4));
    // A bow on the band's side.
    QPainterPath bow;
    bow.moveTo(180, 182);
    bow.cubicTo(190, 168, 212, 166, 214, 176);
    bow.cubicTo(216, 190, 214, 204, 210, 214);
    bow.cubicTo(200, 214, 188, 204, 180, 196);
    bow.closeSubpath();
    inkedShape(p, bow, cylinder(180, 216, lighter(ribbon, 0.1)), 3);
    paintInside(p, crown, taperedStroke([] {
                    QPainterPath line;
                    line.moveTo(98, 52);
                    line.cubicTo(102, 90, 103, 130, 100, 160);
                    return line;
                }(), 10, 4), withAlpha(Qt::white, 70));
    p.setPen(inkPen(ink));
    p.setBrush(Qt::NoBrush);
    p.drawPath(crown);

    const QPainterPath top = ellipse({150, 38}, 80, 17);
    inkedShape(p, top, vertical(20, 56, darker(felt, 0.15), lighter(felt, 0.2)), ink);
    paintInside(p, top, ellipse({138, 33}, 50, 8), withAlpha(Qt::white, 40));
}

void drawCowboyHat(QPainter& p) {
    const QColor leather(0xb8, 0x7a, 0x3e);
    const qreal ink = 5;

    QPainterPath brim;
    brim.moveTo(14, 104);
    brim.cubicTo(40, 150, 90, 212, 190, 212);
    brim.cubicTo(290, 212, 340, 150, 366, 104);
    brim.cubicTo(346, 126, 318, 150, 290, 152);
    brim.cubicTo(250, 170, 130, 170, 90, 152);
    brim.cubicTo(62, 150, 34, 126, 14, 104);
    brim.closeSubpath();
    inkedShape(p, brim, vertical(120, 212, lighter(leather, 0.1), darker(leather, 0.35)), ink);
    QPainterPath brimTopLine;
    brimTopLine.moveTo(40, 140);
    brimTopLine.cubicTo(100, 196, 280, 196, 340, 140);
    strokeInside(p, brim, brimTopLine, inkPen(3, darker(leather, 0.35)));
    rimLight(p, brim, 5, lighter(leather, 0.35), darker(leather, 0.5));

    QPainterPath crown;
    crown.moveTo(96, 160);
    crown.cubicTo(94, 110, 100, 70, 118, 44);
    crown.cubicTo(136, 24, 166, 26, 190, 44);
    crown.cubicTo(214, 26, 244, 24, 262, 44);
    crown.cubicTo(280, 70, 286, 110, 284, 160);
    crown.cubicTo(240, 178, 140, 178, 96, 160);
    crown.closeSubpath();
    inkedShape(p, crown, cylinder(96, 284, leather), 0);
    QPainterPath crease;
    crease.moveTo(190, 48);
    crease.cubicTo(186, 70, 186, 86, 190, 104);
    paintInside(p, crown, taperedStroke(crease, 14, 3), darker(leather, 0.3));

    QPainterPath band;
    band.moveTo(80, 126);
    band.cubicTo(140, 144, 240, 144, 300, 126);
    band.lineTo(300, 148);
    band.cubicTo(240, 168, 140, 168, 80, 148);
    band.closeSubpath();
    const QColor bandColor(0x4a, 0x2a, 0x1a);
    paintInside(p, crown, band, cylinder(96, 284, bandColor));
    strokeInside(p, crown, band, inkPen(3));
    // Little studs along the band.
    for (int i = 0; i < 5; ++i) {
        const qreal x = 130 + i * 30;
        const qreal y = 145 + 4 * std::cos((x - 190) / 90.0);
        inkedShape(p, circle({x, y}, 5), sphere({x, y}, 5, QColor(0xe8, 0xe4, 0xda)), 2);
    }
    p.setPen(inkPen(ink));
    p.setBrush(Qt::NoBrush);
    p.drawPath(crown);
}

void drawPartyHat(QPainter& p) {
    const qreal ink = 5;
    QPainterPath cone;
    cone.moveTo(110, 46);
    cone.lineTo(202, 258);
    cone.cubicTo(160, 292, 60, 292, 18, 258);
    cone.closeSubpath();
    inkedShape(p, cone, QColor(0x2e, 0xb8, 0xc8), 0);

    // Diagonal stripes round the cone.
    for (int i = 0; i < 5; ++i) {
        QPainterPath stripe;
        const qreal y = 80 + i * 48;
        stripe.moveTo(0, y + 30);
        stripe.cubicTo(70, y + 56, 150, y + 36, 230, y - 14);
        stripe.lineTo(230, y + 4);
        stripe.cubicTo(150, y + 56, 70, y + 76, 0, y + 50);
        stripe.closeSubpath();
        paintInside(p, cone, stripe, QColor(0xf2, 0x4b, 0x8c));
    }
    Scatter dots(7);
    for (int i = 0; i < 22; ++i) {
        const QPointF at(dots.between(30, 190), dots.between(80, 270));
        const QColor c = i % 2 ? QColor(0xff, 0xd8, 0x3a) : QColor(Qt::white);
        paintInside(p, cone, circle(at, dots.between(3.5, 6)), c);
    }
    // The cone turns away from the light on the right.
    QLinearGradient turn(18, 0, 202, 0);
    turn.setColorAt(0, withAlpha(Qt::white, 90));
    turn.setColorAt(0.35, withAlpha(Qt::white, 0));
    turn.setColorAt(0.65, withAlpha(kInk, 0));
    turn.setColorAt(1, withAlpha(kInk, 120));
    paintInside(p, cone, cone, turn);
    p.setPen(inkPen(ink));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cone);

    // A ruffle along the rim.
    QPainterPath rim;
    rim.moveTo(18, 258);
    rim.cubicTo(60, 292, 160, 292, 202, 258);
    QPainterPath ruffle;
    for (int i = 0; i <= 14; ++i) ruffle = ruffle.united(circle(rim.pointAtPercent(i / 14.0), 11));
    inkedShape(p, ruffle.simplified(), vertical(245, 295, QColor(0xff, 0xf0, 0x8a), QColor(0xf0, 0xb0, 0x20)), 4);

    // Pompom.
    QPainterPath pompom;
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        pompom = pompom.united(circle({110 + 22 * std::cos(a), 36 + 22 * std::sin(a)}, 11));
    }
    pompom = pompom.united(circle({110, 36}, 24)).simplified();
    inkedShape(p, pompom, sphere({110, 36}, 32, QColor(0xff, 0xc8, 0x2a)), 4);
    paintInside(p, pompom, circle({100, 26}, 8), withAlpha(Qt::white, 150));
}

void drawCrown(QPainter& p) {
    const QColor gold(0xf2, 0xb8, 0x2c);
    const qreal ink = 5;
    const qreal tipX[] = {30, 95, 160, 225, 290};
    const qreal tipY[] = {62, 44, 24, 44, 62};

    QPainterPath body;
    body.moveTo(44, 206);
    body.lineTo(tipX[0], tipY[0]);
    for (int i = 1; i < 5; ++i) {
        const qreal valleyX = (tipX[i - 1] + tipX[i]) / 2;
        body.quadTo(valleyX - 10, 120, valleyX, 128);
        body.quadTo(valleyX + 10, 120, tipX[i], tipY[i]);
    }
    body.lineTo(276, 206);
    body.cubicTo(220, 222, 100, 222, 44, 206);
    body.closeSubpath();
    QLinearGradient shine(0, 20, 0, 220);
    shine.setColorAt(0, lighter(gold, 0.5));
    shine.setColorAt(0.45, gold);
    shine.setColorAt(0.62, darker(gold, 0.25));
    shine.setColorAt(0.7, lighter(gold, 0.3));
    shine.setColorAt(1, darker(gold, 0.35));
    inkedShape(p, body, shine, 0);
    paintInside(p, body, body, [] {
        QLinearGradient side(30, 0, 290, 0);
        side.setColorAt(0, withAlpha(Qt::white, 60));
        side.setColorAt(0.3, withAlpha(Qt::white, 0));
        side.setColorAt(0.75, withAlpha(kInk, 0));
        side.setColorAt(1, withAlpha(kInk, 90));
        return side;
    }());

    QPainterPath band;
    band.moveTo(20, 150);
    band.cubicTo(100, 166, 220, 166, 300, 150);
    band.lineTo(300, 240);
    band.lineTo(20, 240);
    band.closeSubpath();
    paintInside(p, body, band, [&] {
        QLinearGradient g(0, 150, 0, 220);
        g.setColorAt(0, darker(gold, 0.05));
        g.setColorAt(0.35, lighter(gold, 0.25));
        g.setColorAt(1, darker(gold, 0.3));
        return g;
    }());
    QPainterPath bandEdge;
    bandEdge.moveTo(20, 150);
    bandEdge.cubicTo(100, 166, 220, 166, 300, 150);
    strokeInside(p, body, bandEdge, inkPen(4));
    p.setPen(inkPen(ink));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);

    for (int i = 0; i < 5; ++i) {
        const QPointF at(tipX[i], tipY[i] - 4);
        inkedShape(p, circle(at, 11), sphere(at, 11, lighter(gold, 0.15)), 4);
    }
    auto jewel = [&p](const QPointF& at, qreal rx, qreal ry, const QColor& colour) {
        const QPainterPath stone = ellipse(at, rx, ry);
        inkedShape(p, stone, sphere(at, std::max(rx, ry), colour), 4);
        paintInside(p, stone, ellipse(at - QPointF(rx * 0.35, ry * 0.4), rx * 0.3, ry * 0.22), QColor(Qt::white));
    };
    jewel({160, 186}, 20, 15, QColor(0xd8, 0x1f, 0x3a));
    jewel({96, 181}, 12, 12, QColor(0x2a, 0x6b, 0xe0));
    jewel({224, 181}, 12, 12, QColor(0x2a, 0x6b, 0xe0));
    jewel({48, 172}, 8, 8, QColor(0x22, 0xb0, 0x5a));
    jewel({272, 172}, 8, 8, QColor(0x22, 0xb0, 0x5a));
    jewel({160, 98}, 11, 16, QColor(0x9b, 0x3a, 0xd8));
}

void drawHalo(QPainter& p) {
    const QColor gold(0xf7, 0xd0, 0x3c);
    const QPainterPath ring = ellipse({150, 55}, 138, 44).subtracted(ellipse({150, 52}, 112, 28));
    QLinearGradient g(0, 10, 0, 100);
    g.setColorAt(0, lighter(gold, 0.6));
    g.setColorAt(0.5, gold);
    g.setColorAt(1, darker(gold, 0.3));
    inkedShape(p, ring, g, 5);
    paintInside(p, ring, ellipse({120, 24}, 60, 8), withAlpha(Qt::white, 160));
    paintInside(p, ring, ellipse({200, 90}, 60, 6), withAlpha(darker(gold, 0.5), 120));
}

}  // namespace clipart
