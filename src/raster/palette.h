#pragma once
#include <vector>

#include "raster/color.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// The palette an indexed bitmap gets when none was given: black and white for
// 1 bit, the sixteen standard colours for 4 bits, 3-3-2 levels for 8 bits.
std::vector<PaletteEntry> defaultPalette(int bitsPerPixel);

// Index of the entry closest to the colour (squared RGB distance, first of
// equals); 0 for an empty palette.
int nearestPaletteIndex(const std::vector<PaletteEntry>& palette, Argb color);

}  // namespace mugwarp
