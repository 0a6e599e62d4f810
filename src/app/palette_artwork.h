#pragma once
#include <QColor>
#include <QIcon>

namespace mugwarp {

// The tool palette's button pictures, drawn in code like the toolbar's.
enum class PalettePicture {
    Arrow, Delete, ZoomIn, ZoomOut, Crop, Original, Erase, Paint, Twirl, Pick, Putty, Warp, Text, Clipart, SizeDrop,
    Reconstruct, Smooth, Freeze, Thaw
};
QIcon paletteIcon(PalettePicture which);
// The size menu's 32 x 32 picture of an Erase/Paint square of the given edge.
QIcon squareSizeIcon(int size);
// A swatch for the colour selector and its menu.
QIcon colourSwatch(const QColor& colour, QSize size);

}  // namespace mugwarp
