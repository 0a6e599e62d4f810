#pragma once
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace mugwarp {

// Where the Tools palette's frame goes the first time: beside the main
// window, its left edge at the window's right edge when the screen has room
// there, else its right edge at the window's left edge; level with the top of
// the picture area and wholly on the screen's available area. None when
// there is no room on either side (a maximised window): the palette would
// cover the picture, so it docks inside the window instead.
std::optional<QPoint> firstPalettePosition(const QRect& windowFrame, int pictureTop, QSize paletteFrame,
                                           const QRect& screen);

// A remembered position, moved as little as needed to lie wholly on the
// screen it overlaps most (or the first screen, when it overlaps none: the
// screen it was on is gone).
QPoint clampedPalettePosition(QPoint remembered, QSize paletteFrame, const QList<QRect>& screens);

}  // namespace mugwarp
