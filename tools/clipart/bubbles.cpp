#include <QtMath>

#include "cartoon.h"
#include "pieces.h"

namespace clipart {
namespace {

constexpr qreal kOutline = 6;

// White with a faint cool shade toward the lower right, so the bubble reads
// as a shape without getting in the way of the words.
QBrush paper(const QRectF& box) {
    QRadialGradient g(box.topLeft() + QPointF(box.width() * 0.35, box.height() * 0.3), std::max(box.width(), box.height()) * 0.75);
    g.setColorAt(0, Qt::white);
    g.setColorAt(0.6, Qt::white);
    g.setColorAt(1, QColor(0xdc, 0xe2, 0xee));
    return g;
}

void bubble(QPainter& p, const QPainterPath& shape) {
    inkedShape(p, shape, paper(shape.boundingRect()), kOutline);
}

// A curved tail from two points on the body's edge to the tip.
QPainterPath tail(const QPointF& from, const QPointF& to, const QPointF& tip, qreal bend) {
    QPainterPath t;
    t.moveTo(from);
    t.quadTo((from + tip) / 2 + QPointF(0, bend), tip);
    t.quadTo((to + tip) / 2 + QPointF(bend * 0.5, 0), to);
    t.closeSubpath();
    return t;
}

QPainterPath ovalWithTailLeft() {
    return ellipse({204, 112}, 188, 98).united(tail({120, 180}, {172, 204}, {26, 248}, 8)).simplified();
}

}  // namespace

void drawRoundSpeech(QPainter& p) {
    bubble(p, circle({156, 136}, 126).united(tail({96, 226}, {140, 258}, {28, 292}, 6)).simplified());
}

void drawOvalSpeechLeft(QPainter& p) { bubble(p, ovalWithTailLeft()); }

void drawOvalSpeechRight(QPainter& p) { bubble(p, mirrored(ovalWithTailLeft(), 200)); }

void drawThoughtCloud(QPainter& p) {
    const QPointF centre(212, 118);
    std::vector<QPainterPath> parts{ellipse(centre, 150, 80)};
    constexpr int kPuffs = 11;
    for (int i = 0; i < kPuffs; ++i) {
        const qreal a = 2 * M_PI * i / kPuffs + 0.2;
        const qreal r = 40 + 8 * std::sin(i * 2.3);
        parts.push_back(circle(centre + QPointF(148 * std::cos(a), 78 * std::sin(a)), r));
    }
    const QPainterPath cloud = unite(parts);
    bubble(p, cloud);
    for (const auto& [at, r] : {std::pair{QPointF(92, 236), 20.0}, std::pair{QPointF(58, 266), 13.0}, std::pair{QPointF(32, 288), 8.0}})
        bubble(p, circle(at, r));
}

void drawShout(QPainter& p) {
    // Spikes of uneven length, fixed so the shape never changes between runs.
    const qreal reach[] = {1.0, 0.82, 0.95, 0.78, 1.04, 0.84, 0.92, 0.8, 1.0, 0.86, 0.97,
                           0.79, 1.02, 0.83, 0.94, 0.8, 0.99, 0.85, 0.9, 0.78, 1.03, 0.82};
    constexpr int kPoints = 22;
    const QPointF centre(214, 138);
    QPolygonF star;
    for (int i = 0; i < kPoints * 2; ++i) {
        const qreal a = M_PI * i / kPoints - M_PI / 2;
        const qreal outer = i % 2 == 0;
        const qreal scale = outer ? reach[i / 2] : 0.74;
        star << centre + QPointF(196 * scale * std::cos(a), 128 * scale * std::sin(a));
    }
    QPainterPath burst;
    burst.addPolygon(star);
    burst.closeSubpath();
    QPainterPath spike;
    spike.moveTo(110, 200);
    spike.lineTo(18, 292);
    spike.lineTo(160, 222);
    spike.closeSubpath();
    const QPainterPath shape = burst.united(spike).simplified();
    p.save();
    QPen pen = inkPen(kOutline);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    QRadialGradient g(centre, 200);
    g.setColorAt(0, QColor(0xff, 0xff, 0xff));
    g.setColorAt(0.55, QColor(0xff, 0xfd, 0xe8));
    g.setColorAt(1, QColor(0xff, 0xe2, 0x6a));
    p.setBrush(g);
    p.drawPath(shape);
    p.restore();
}

void drawWhisper(QPainter& p) {
    const QPainterPath shape = mirrored(ovalWithTailLeft(), 200);
    inkedShape(p, shape, paper(shape.boundingRect()), 0);
    QPen dashes = inkPen(4);
    dashes.setCapStyle(Qt::FlatCap);
    dashes.setDashPattern({4, 3});
    p.setPen(dashes);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void drawSpeechBox(QPainter& p) {
    QPainterPath box;
    box.addRoundedRect(QRectF(8, 8, 344, 190), 42, 42);
    bubble(p, box.united(tail({230, 190}, {290, 190}, {336, 252}, -6)).simplified());
}

void drawCaption(QPainter& p) {
    const QRectF box(3, 3, 374, 144);
    QPainterPath frame;
    frame.addRect(box);
    inkedShape(p, frame, vertical(0, 150, QColor(0xff, 0xf6, 0xc4), QColor(0xf6, 0xe2, 0x8c)), 6);
}

}  // namespace clipart
