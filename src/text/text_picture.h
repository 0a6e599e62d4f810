#pragma once
#include <QColor>
#include <QFont>
#include <QString>

#include "raster/pixel_surface.h"

namespace mugwarp {

// Font and colour of a text overlay, kept between insertions.
struct TextStyle {
    QFont font;
    QColor color;
    // The desktop's usual face at 8 points, in the window-text colour.
    static TextStyle initial();
};

// A line of text as an overlay picture: as high as the font's line height + 5,
// as wide as the text + 15, the text drawn at the top-left on a plain
// background that becomes fully transparent; every other pixel (anti-aliased
// edges too) is opaque. The background is white, or black for white text so
// that the text itself does not vanish. Drawn blended.
PixelSurface textPicture(const QString& text, const TextStyle& style);

}  // namespace mugwarp
