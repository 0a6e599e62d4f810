#pragma once
#include <array>
#include <cstdint>

#include "raster/color.h"
#include "raster/geometry.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// The flat picture is the 32-bit copy of the picture that the flat-image
// tools show and draw on. Its transparent pixels are painted as a
// checkerboard of 5 x 5 picture pixels (grey 176 and white), which therefore
// scales with the zoom; alpha bytes are never changed.

constexpr bool checkerParity(int x, int y) { return ((x / 5) & 1) == ((y / 5) & 1); }
constexpr std::uint8_t flatCheckerLevel(int x, int y) { return checkerParity(x, y) ? 176 : 255; }

// Row y of a 32-bit flat picture as 0xAARRGGBB words.
inline Argb* flatRow(PlatformBitmap& flat, int y) { return reinterpret_cast<Argb*>(flat.scanLine(y)); }
inline const Argb* flatRow(const PlatformBitmap& flat, int y) {
    return reinterpret_cast<const Argb*>(flat.scanLine(y));
}

// The (n + 1) x (n + 1) square at (column, row), negative corners moved to 0,
// clipped to bounds. Erase and Paint squares in the flat picture and in the
// surfaces both use it, so that all three stay in step.
Rect squareInPicture(int column, int row, int n, const Rect& bounds);

// Paints the pixels that are the key (all four bytes) or all zero as the
// checkerboard. Makes the picture 32 bits per pixel first.
void clearFlatPicture(PlatformBitmap& flat, Argb key);

// One Erase (checkerboard) or Paint (paintColor's red, green and blue) square
// of the flat picture; returns the rectangle painted.
enum class FlatBrush { Erase, Paint };
Rect paintFlatSquare(PlatformBitmap& flat, int column, int row, int n, FlatBrush brush, PlatformColor paintColor);

// The crop preview's darkening: v -> round(255 (v / 255)^2).
using LevelTable = std::array<std::uint8_t, 256>;
const LevelTable& cropDarkening();
// A copy of a 32-bit picture with red, green and blue darkened, alpha kept.
PlatformBitmap darkenedCopy(const PlatformBitmap& picture);

// View to picture coordinates of the flat view: integer part of X / zoom x 100.
int flatPictureCoordinate(int viewCoordinate, int zoomPercent);
// The square's size in picture pixels: integer part of eraseSize x 100 / zoom,
// so that a square covers about eraseSize view pixels at any zoom.
int flatSquareSize(int eraseSize, int zoomPercent);

}  // namespace mugwarp
