#pragma once
#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;
class RemapTransform;

namespace raster_detail {

// Renders `area` (already clipped to the destination; the remap prepared)
// when the set-up allows the specialised path: a bilinear source, vectors
// applied one to one (unit position and vector factors, no offset) and
// sizes inside the 16.16 range. Returns false, having done nothing, otherwise.
// The pixels it writes are bit for bit those of the per-pixel renderer.
bool renderRemapFast(PixelSurface& destination, const PixelSurface& source, const RemapTransform& remap,
                     const Rect& area);

}  // namespace raster_detail
}  // namespace mugwarp
