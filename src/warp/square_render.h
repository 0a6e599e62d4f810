#pragma once
#include "raster/geometry.h"

namespace mugwarp {

struct WarpCanvas;

// Re-renders rect of the display from the source through the deformation:
// every pixel becomes exactly the source sample there (the rectangle is
// cleared to transparent first, and the source merges onto it). Returns the
// part of rect inside the display.
Rect renderSquare(WarpCanvas& canvas, const Rect& rect);

}  // namespace mugwarp
