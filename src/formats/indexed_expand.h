#pragma once
#include "raster/platform_bitmap.h"

namespace mugwarp {

// An indexed (1-, 4- or 8-bit) bitmap drawn into a new opaque 32-bit bitmap of
// its size; indices past a short palette read black.
PlatformBitmap expandIndexed(const PlatformBitmap& indexed);

}  // namespace mugwarp
