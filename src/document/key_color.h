#pragma once
#include "raster/color.h"

namespace mugwarp {

class PlatformBitmap;

// Outer colour of every document that is not a GIF: alpha 0, red 0xFD,
// green 0xFE, blue 0xFF. (Not the same colour as the platform key 0xFDFEFF.)
constexpr Argb kDefaultOuterColor = 0x00FDFEFF;

// The outer colour that goes with a GIF's key: alpha 0, the key's red, green
// and blue (the "no colour" key reads as white).
constexpr Argb outerColorForKey(PlatformColor key) { return argbFromPlatform(key, 0); }

// Makes a keyed picture really transparent: the bitmap becomes 32 bits per
// pixel; alpha 0 where red, green and blue equal the key's, 255 elsewhere.
// Colour bytes stay as they are.
void clearKeyColor(PlatformBitmap& bitmap, PlatformColor key);

}  // namespace mugwarp
