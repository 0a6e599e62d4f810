#include "app/palette_placement.h"

#include <algorithm>

namespace mugwarp {
namespace {

QPoint clampInto(QPoint topLeft, QSize size, const QRect& screen) {
    const int x = std::max(screen.left(), std::min(topLeft.x(), screen.left() + screen.width() - size.width()));
    const int y = std::max(screen.top(), std::min(topLeft.y(), screen.top() + screen.height() - size.height()));
    return {x, y};
}

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

}  // namespace

std::optional<QPoint> firstPalettePosition(const QRect& windowFrame, int pictureTop, QSize paletteFrame,
                                           const QRect& screen) {
    const int besideRight = windowFrame.left() + windowFrame.width();
    const int besideLeft = windowFrame.left() - paletteFrame.width();
    if (besideRight + paletteFrame.width() <= screen.left() + screen.width())
        return clampInto(QPoint(besideRight, pictureTop), paletteFrame, screen);
    if (besideLeft >= screen.left()) return clampInto(QPoint(besideLeft, pictureTop), paletteFrame, screen);
    return std::nullopt;
}

QPoint clampedPalettePosition(QPoint remembered, QSize paletteFrame, const QList<QRect>& screens) {
    if (screens.isEmpty()) return remembered;
    const QRect frame(remembered, paletteFrame);
    const QRect* best = &screens.front();
    for (const QRect& screen : screens)
        if (overlap(frame, screen) > overlap(frame, *best)) best = &screen;
    return clampInto(remembered, paletteFrame, *best);
}

}  // namespace mugwarp
