#include <QFont>
#include <QtMath>

#include "cartoon.h"
#include "pieces.h"

namespace clipart {

void drawBowTie(QPainter& p) {
    const QColor red(0xd6, 0x24, 0x3a);
    QPainterPath wing;
    wing.moveTo(140, 58);
    wing.cubicTo(170, 36, 214, 8, 242, 16);
    wing.cubicTo(258, 44, 258, 96, 242, 124);
    wing.cubicTo(214, 132, 170, 104, 140, 82);
    wing.closeSubpath();
    for (const QPainterPath& w : {wing, mirrored(wing, 130)}) {
        const QRectF box = w.boundingRect();
        QRadialGradient puff(box.center() + QPointF(0, -10), 90);
        puff.setColorAt(0, lighter(red, 0.25));
        puff.setColorAt(1, darker(red, 0.3));
        inkedShape(p, w, puff, 0);
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 6; ++col) {
                const QPointF at(box.left() + 10 + col * 22 + (row % 2) * 11, 10 + row * 24);
                paintInside(p, w, circle(at, 5.5), QColor(0xff, 0xf6, 0xe8));
            }
        // Folds running out from the knot.
        const bool right = box.center().x() > 130;
        QPainterPath fold;
        const qreal sx = right ? 150 : 110;
        const qreal dir = right ? 1 : -1;
        fold.moveTo(sx, 66);
        fold.cubicTo(sx + dir * 30, 56, sx + dir * 60, 46, sx + dir * 80, 40);
        fold.moveTo(sx, 76);
        fold.cubicTo(sx + dir * 30, 88, sx + dir * 60, 98, sx + dir * 80, 104);
        strokeInside(p, w, fold, inkPen(3, darker(red, 0.45)));
        rimLight(p, w, 5, withAlpha(Qt::white, 70), withAlpha(kInk, 90));
        p.setPen(inkPen(5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(w);
    }
    QPainterPath knot;
    knot.addRoundedRect(QRectF(110, 44, 40, 52), 12, 12);
    inkedShape(p, knot, cylinder(110, 150, red), 5);
    paintInside(p, knot, ellipse({122, 58}, 5, 9), withAlpha(Qt::white, 130));
}

void drawPartyHorn(QPainter& p) {
    QPainterPath tube;
    tube.moveTo(52, 78);
    tube.cubicTo(180, 74, 280, 62, 344, 24);
    tube.lineTo(344, 146);
    tube.cubicTo(280, 110, 180, 98, 52, 96);
    tube.closeSubpath();
    inkedShape(p, tube, QColor(0xff, 0xcc, 0x2e), 0);
    // Spiral stripes, slanted with the cone.
    for (int i = 0; i < 9; ++i) {
        const qreal x = 70 + i * 32;
        QPainterPath stripe;
        stripe.moveTo(x, 0);
        stripe.lineTo(x + 14, 0);
        stripe.lineTo(x - 6 + i * 1.5, 170);
        stripe.lineTo(x - 20 + i * 1.5, 170);
        stripe.closeSubpath();
        paintInside(p, tube, stripe, i % 2 ? QColor(0x2b, 0x8c, 0xe8) : QColor(0xe8, 0x2f, 0x6a));
    }
    QLinearGradient round(0, 20, 0, 150);
    round.setColorAt(0, withAlpha(kInk, 40));
    round.setColorAt(0.3, withAlpha(Qt::white, 110));
    round.setColorAt(0.45, withAlpha(Qt::white, 0));
    round.setColorAt(1, withAlpha(kInk, 130));
    paintInside(p, tube, tube, round);
    p.setPen(inkPen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tube);

    // The open bell.
    const QPainterPath bell = ellipse({344, 85}, 16, 62);
    QRadialGradient inside(QPointF(348, 90), 60);
    inside.setColorAt(0, QColor(0x5a, 0x1a, 0x4a));
    inside.setColorAt(1, QColor(0xb8, 0x3a, 0x8a));
    inkedShape(p, bell, inside, 5);

    QPainterPath mouthpiece;
    mouthpiece.addRoundedRect(QRectF(12, 74, 46, 26), 9, 9);
    inkedShape(p, mouthpiece, vertical(74, 100, QColor(0xff, 0xff, 0xff), QColor(0xc8, 0xc8, 0xd8)), 5);
    QPainterPath ring;
    ring.addRoundedRect(QRectF(48, 70, 12, 34), 4, 4);
    inkedShape(p, ring, vertical(70, 104, QColor(0xff, 0x8a, 0xb0), QColor(0xc8, 0x2a, 0x6a)), 4);

    // Confetti bursting out of the bell.
    Scatter confetti(23);
    const QColor colours[] = {QColor(0xe8, 0x2f, 0x6a), QColor(0x2b, 0x8c, 0xe8), QColor(0x3c, 0xc8, 0x5a), QColor(0xff, 0xcc, 0x2e)};
    for (int i = 0; i < 9; ++i) {
        const QPointF at(confetti.between(362, 372), 18 + i * 16 + confetti.between(-3, 3));
        QTransform spin;
        spin.translate(at.x(), at.y());
        spin.rotate(confetti.between(0, 180));
        QPainterPath bit;
        bit.addRect(QRectF(-5, -3, 10, 6));
        inkedShape(p, spin.map(bit), colours[i % 4], 2);
    }
}

void drawPipe(QPainter& p) {
    const QColor wood(0xa8, 0x5a, 0x2a);
    // Smoke first, so the bowl sits in front of it.
    const QPainterPath smoke = unite({circle({250, 60}, 22), circle({276, 48}, 18), circle({262, 30}, 16), circle({236, 40}, 14),
                                      circle({290, 26}, 12), circle({306, 12}, 8)});
    inkedShape(p, smoke, vertical(0, 90, QColor(0xff, 0xff, 0xff), QColor(0xc8, 0xcc, 0xd8)), 4);
    paintInside(p, smoke, circle({244, 50}, 8), QColor(Qt::white));

    QPainterPath stemGuide;
    stemGuide.moveTo(230, 168);
    stemGuide.cubicTo(180, 178, 130, 160, 70, 140);
    const QPainterPath stem = taperedStroke(stemGuide, 30, 18);
    inkedShape(p, stem, vertical(130, 190, lighter(wood, 0.15), darker(wood, 0.35)), 5);
    QPainterPath bitGuide;
    bitGuide.moveTo(80, 143);
    bitGuide.cubicTo(56, 135, 36, 128, 14, 122);
    const QPainterPath bit = taperedStroke(bitGuide, 19, 11);
    inkedShape(p, bit, vertical(110, 155, QColor(0x4a, 0x48, 0x52), QColor(0x10, 0x0e, 0x14)), 5);
    QPainterPath bitShine;
    bitShine.moveTo(70, 136);
    bitShine.cubicTo(54, 131, 38, 126, 24, 122);
    strokeInside(p, bit, bitShine, inkPen(3, withAlpha(Qt::white, 110)));

    QPainterPath bowl;
    bowl.moveTo(212, 88);
    bowl.lineTo(302, 88);
    bowl.cubicTo(308, 168, 288, 214, 257, 214);
    bowl.cubicTo(226, 214, 206, 168, 212, 88);
    bowl.closeSubpath();
    inkedShape(p, bowl, cylinder(210, 304, wood), 0);
    Scatter grain(31);
    for (int i = 0; i < 5; ++i) {
        const qreal x = 226 + i * 16 + grain.between(-3, 3);
        QPainterPath line;
        line.moveTo(x, 96);
        line.cubicTo(x + grain.between(-8, 8), 140, x + grain.between(-8, 8), 170, (x + 257) / 2, 206);
        strokeInside(p, bowl, line, inkPen(2, withAlpha(darker(wood, 0.4), 110)));
    }
    p.setPen(inkPen(5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bowl);
    const QPainterPath rim = ellipse({257, 88}, 46, 12);
    inkedShape(p, rim, lighter(wood, 0.2), 5);
    const QPainterPath tobacco = ellipse({257, 89}, 36, 7);
    QRadialGradient ember(QPointF(257, 90), 36);
    ember.setColorAt(0, QColor(0xff, 0xd0, 0x40));
    ember.setColorAt(0.4, QColor(0xf0, 0x5a, 0x1a));
    ember.setColorAt(1, QColor(0x3a, 0x1a, 0x10));
    inkedShape(p, tobacco, ember, 2);
}

void drawHelloBadge(QPainter& p) {
    const QColor red(0xd7, 0x26, 0x3d);
    QPainterPath card;
    card.addRoundedRect(QRectF(6, 6, 308, 208), 22, 22);
    inkedShape(p, card, vertical(6, 214, lighter(red, 0.1), darker(red, 0.2)), 0);
    QPainterPath writing;
    writing.addRect(QRectF(6, 92, 308, 98));
    paintInside(p, card, writing, QColor(Qt::white));
    QPainterPath shadow;
    shadow.addRect(QRectF(6, 92, 308, 8));
    paintInside(p, card, shadow, QColor(0xe4, 0xe2, 0xe8));
    p.setPen(inkPen(6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(card);

    p.setPen(Qt::white);
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setBold(true);
    big.setPixelSize(50);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(big);
    p.drawText(QRectF(6, 10, 308, 56), Qt::AlignCenter, QStringLiteral("HELLO"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setBold(true);
    small.setPixelSize(20);
    p.setFont(small);
    p.drawText(QRectF(6, 62, 308, 26), Qt::AlignCenter, QStringLiteral("my name is"));
    // A pencilled line to write on.
    p.setPen(QPen(QColor(0xc8, 0xc6, 0xd0), 2, Qt::DashLine));
    p.drawLine(QPointF(34, 164), QPointF(286, 164));
}

void drawMugshotSign(QPainter& p) {
    const QColor board(0x22, 0x24, 0x2a);
    QPainterPath sign;
    sign.addRoundedRect(QRectF(4, 24, 352, 172), 10, 10);
    // The cord it hangs from.
    QPainterPath cord;
    cord.moveTo(40, 30);
    cord.lineTo(110, 2);
    cord.moveTo(320, 30);
    cord.lineTo(250, 2);
    p.setPen(inkPen(4, QColor(0x8a, 0x7a, 0x5a)));
    p.drawPath(cord);
    inkedShape(p, sign, vertical(24, 196, lighter(board, 0.12), board), 6);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(16, 36, 328, 148), 6, 6);
    p.setPen(inkPen(2, QColor(0x6a, 0x6e, 0x78)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
    for (const QPointF& at : {QPointF(40, 30), QPointF(320, 30)})
        inkedShape(p, circle(at, 6), sphere(at, 6, QColor(0xc8, 0xc8, 0xd0)), 2);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setBold(true);
    title.setPixelSize(24);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    p.setPen(QColor(0xf4, 0xf2, 0xea));
    p.drawText(QRectF(16, 44, 328, 34), Qt::AlignCenter, QStringLiteral("MUGWARP COUNTY"));
    QFont number(QStringLiteral("DejaVu Sans Mono"));
    number.setBold(true);
    number.setPixelSize(46);
    p.setFont(number);
    p.drawText(QRectF(16, 80, 328, 56), Qt::AlignCenter, QStringLiteral("0451-23"));
    QFont line(QStringLiteral("DejaVu Sans Mono"));
    line.setPixelSize(18);
    p.setFont(line);
    p.setPen(QColor(0xc8, 0xc6, 0xbe));
    p.drawText(QRectF(16, 138, 328, 34), Qt::AlignCenter, QStringLiteral("HT 6'1\"   WT 180"));
}

}  // namespace clipart
