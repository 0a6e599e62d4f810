#pragma once
#include <vector>

#include "raster/geometry.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

class OverlayStack;

// The largest rectangle of the source's proportions inside bounds, centred in
// the other direction. A source without width or height gives output back.
// Sizes are rounded to the nearest integer (halves to even), offsets halved
// with truncating division.
Rect fitRectKeepingAspect(const Rect& source, const Rect& bounds, const Rect& output);

// The target split into tiles of at most maxTile x maxTile, row by row from
// the top, each row from the left.
std::vector<Rect> printTiles(const Rect& target, int maxTile = 1024);

// What a page shows of the picture: the display over paper white (so erased
// places print white and half-transparent ones lighten), then the overlays
// when they are shown. Opaque, the display's size, drawn opaque through the
// bilinear resampler.
PixelSurface composePrintPicture(const PixelSurface& display, const OverlayStack& overlays);

// One tile of the picture stretched over target by the picture's resampler:
// the tile's part of that stretch, as a tile-sized surface.
PixelSurface renderPrintTile(const PixelSurface& picture, const Rect& target, const Rect& tile);

}  // namespace mugwarp
