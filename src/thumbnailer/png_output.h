#pragma once
#include <string>

#include "raster/pixel_surface.h"

namespace mugwarp {

// Writes the picture as an 8-bit RGBA PNG (atomically: a temporary file
// renamed over path). Throws Error on failure.
void writePng(const PixelSurface& picture, const std::string& path);

}  // namespace mugwarp
