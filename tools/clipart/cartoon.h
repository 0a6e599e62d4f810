#pragma once
#include <QBrush>
#include <QColor>
#include <QGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <functional>

// Drawing helpers for the cartoon look every piece shares: a dark ink outline,
// fills shaded from the upper left, highlights and shadows kept inside a shape.
namespace clipart {

inline const QColor kInk(0x26, 0x1e, 0x2c);

QColor mix(const QColor& a, const QColor& b, qreal t);
inline QColor lighter(const QColor& c, qreal t) { return mix(c, Qt::white, t); }
inline QColor darker(const QColor& c, qreal t) { return mix(c, kInk, t); }
inline QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QPen inkPen(qreal width, const QColor& color = kInk);

// Fills the shape and traces its edge in ink.
void inkedShape(QPainter& p, const QPainterPath& shape, const QBrush& fill, qreal outline);
// Paints inside the shape only, so shading never leaks past the outline.
void paintInside(QPainter& p, const QPainterPath& shape, const QPainterPath& area, const QBrush& brush);
void strokeInside(QPainter& p, const QPainterPath& shape, const QPainterPath& line, const QPen& pen);
// A lit edge along the upper left and a shade along the lower right, inside the shape.
void rimLight(QPainter& p, const QPainterPath& shape, qreal width, const QColor& light, const QColor& shade);

// Left-to-right shading of a round body lit from the upper left (hats, tubes).
QLinearGradient cylinder(qreal left, qreal right, const QColor& base);
QLinearGradient vertical(qreal top, qreal bottom, const QColor& topColor, const QColor& bottomColor);
QRadialGradient sphere(const QPointF& centre, qreal radius, const QColor& base);

QPainterPath ellipse(const QPointF& centre, qreal rx, qreal ry);
inline QPainterPath circle(const QPointF& centre, qreal r) { return ellipse(centre, r, r); }
// The path reflected about the vertical line x = axis.
QPainterPath mirrored(const QPainterPath& path, qreal axis);
QPainterPath unite(const std::vector<QPainterPath>& parts);

// A filled band along the centre line whose width goes from startWidth to
// endWidth (a horn, a moustache curl, a pipe stem), with round ends.
QPainterPath taperedStroke(const QPainterPath& centreLine, qreal startWidth, qreal endWidth, qreal curve = 1.0);

// Deterministic pseudo-random numbers in [0, 1) for texture placement.
class Scatter {
public:
    explicit Scatter(unsigned seed) : state_(seed * 2654435761u + 1) {}
    qreal next();
    qreal between(qreal low, qreal high) { return low + (high - low) * next(); }

private:
    unsigned state_;
};

}  // namespace clipart
