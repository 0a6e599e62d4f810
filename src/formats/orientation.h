#pragma once
#include "raster/platform_bitmap.h"

namespace mugwarp {

// Turns a 32-bit bitmap stored as a camera declares (EXIF orientation 1 to 8)
// into the upright picture a viewer shows: 2 mirrors left-right, 3 turns half
// way, 4 mirrors top-bottom, 5 mirrors along the main diagonal, 6 turns a
// quarter clockwise, 7 mirrors along the other diagonal, 8 turns a quarter
// anticlockwise. 0 and 1 (and anything else) leave the bitmap as it is.
PlatformBitmap orientUpright(PlatformBitmap stored, int orientation);

}  // namespace mugwarp
