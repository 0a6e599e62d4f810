#pragma once
#include "raster/color.h"
#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;

// The source is sampled bilinearly by the remap and merges onto the cleared
// display, so every rendered pixel is exactly its sample.
void applySourceSettings(PixelSurface& source, Argb outerColor);
// The display is drawn blended over the view's checkerboard and stretched
// without smoothing.
void applyDisplaySettings(PixelSurface& display, Argb outerColor);

// Pixels and size of from into to; to keeps its own settings and change
// handler, and raises its change notification.
void copyPixels(PixelSurface& to, const PixelSurface& from);
// The pixels of from within rect into to, which has from's size; no change
// notification. Large rectangles are copied on every core.
void copyRows(PixelSurface& to, const PixelSurface& from, const Rect& rect);

}  // namespace mugwarp
