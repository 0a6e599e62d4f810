#include "cartoon.h"

#include <QtMath>

namespace clipart {

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t), float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QPen inkPen(qreal width, const QColor& color) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void inkedShape(QPainter& p, const QPainterPath& shape, const QBrush& fill, qreal outline) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shape);
    if (outline > 0) {
        p.setBrush(Qt::NoBrush);
        p.setPen(inkPen(outline));
        p.drawPath(shape);
    }
    p.restore();
}

void paintInside(QPainter& p, const QPainterPath& shape, const QPainterPath& area, const QBrush& brush) {
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawPath(area);
    p.restore();
}

void strokeInside(QPainter& p, const QPainterPath& shape, const QPainterPath& line, const QPen& pen) {
    p.save();
    p.setClipPath(shape, Qt::IntersectClip);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    p.restore();
}

void rimLight(QPainter& p, const QPainterPath& shape, qreal width, const QColor& light, const QColor& shade) {
    // The shape shifted toward the light leaves a crescent on the lit side, and the other way round.
    const QPainterPath lit = shape.subtracted(shape.translated(width * 0.7, width));
    const QPainterPath dark = shape.subtracted(shape.translated(-width * 0.7, -width));
    paintInside(p, shape, lit, light);
    paintInside(p, shape, dark, shade);
}

QLinearGradient cylinder(qreal left, qreal right, const QColor& base) {
    QLinearGradient g(left, 0, right, 0);
    g.setColorAt(0.0, darker(base, 0.25));
    g.setColorAt(0.18, lighter(base, 0.35));
    g.setColorAt(0.32, lighter(base, 0.12));
    g.setColorAt(0.7, base);
    g.setColorAt(1.0, darker(base, 0.45));
    return g;
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& topColor, const QColor& bottomColor) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, topColor);
    g.setColorAt(1, bottomColor);
    return g;
}

QRadialGradient sphere(const QPointF& centre, qreal radius, const QColor& base) {
    QRadialGradient g(centre, radius * 1.25, centre - QPointF(radius * 0.35, radius * 0.4));
    g.setColorAt(0.0, lighter(base, 0.55));
    g.setColorAt(0.35, base);
    g.setColorAt(0.85, darker(base, 0.3));
    g.setColorAt(1.0, darker(base, 0.5));
    return g;
}

QPainterPath ellipse(const QPointF& centre, qreal rx, qreal ry) {
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

QPainterPath mirrored(const QPainterPath& path, qreal axis) {
    QTransform flip;
    flip.translate(axis, 0);
    flip.scale(-1, 1);
    flip.translate(-axis, 0);
    return flip.map(path);
}

QPainterPath unite(const std::vector<QPainterPath>& parts) {
    QPainterPath all;
    for (const QPainterPath& part : parts) all = all.united(part);
    return all.simplified();
}

QPainterPath taperedStroke(const QPainterPath& centreLine, qreal startWidth, qreal endWidth, qreal curve) {
    constexpr int kSteps = 96;
    QPolygonF left, right;
    for (int i = 0; i <= kSteps; ++i) {
        const qreal t = qreal(i) / kSteps;
        const QPointF at = centreLine.pointAtPercent(t);
        const qreal angle = qDegreesToRadians(centreLine.angleAtPercent(t));
        const QPointF normal(-std::sin(angle), -std::cos(angle));
        const qreal half = 0.5 * (endWidth + (startWidth - endWidth) * std::pow(1 - t, curve));
        left << at + normal * half;
        right.prepend(at - normal * half);
    }
    QPainterPath band;
    band.addPolygon(left + right);
    band.closeSubpath();
    band = band.united(circle(centreLine.pointAtPercent(0), startWidth / 2));
    band = band.united(circle(centreLine.pointAtPercent(1), endWidth / 2));
    return band.simplified();
}

qreal Scatter::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return qreal(state_ % 100000u) / 100000.0;
}

}  // namespace clipart
