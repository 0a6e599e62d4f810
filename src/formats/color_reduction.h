#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "raster/platform_bitmap.h"

namespace mugwarp {

// Reduces a 24- or 32-bit bitmap to an 8-bit one with at most 256 colours by
// a popularity histogram: when the picture holds more than 2049 distinct
// colours, low bits are masked off (blue, red, green, blue, ...) until it
// does not, the most frequent colours become the palette, and the rest map
// to their nearest palette entry. Pictures with at most 256 distinct colours
// come out exactly. The palette always has 256 entries (unused ones grey).
PlatformBitmap reduceColors(const PlatformBitmap& picture);

// The same, but a colour of the picture given as 0x00RRGGBB is sure to be a
// palette entry: should it not be among the 256 most frequent, it takes the
// place of the least frequent of them, which then maps to its nearest entry.
// (The GIF save's key colour may cover only a few pixels of a photograph.)
PlatformBitmap reduceColors(const PlatformBitmap& picture, std::uint32_t keepRgb);

// Reduces a picture that has been reduced once and then had some places set to
// a key colour (keyed[i] non-zero for pixel i, rows top first, no padding):
// the same result as reducing the picture drawn from `reduced` with those
// places in keyRgb (0x00RRGGBB) (keeping keyRgb in the palette when any place
// is keyed), worked out from the indices without drawing it.
PlatformBitmap reduceKeyedAgain(const PlatformBitmap& reduced, std::span<const std::uint8_t> keyed, std::uint32_t keyRgb);

}  // namespace mugwarp
