#pragma once
#include "pshost/suite_abi.h"

namespace mugwarp {

// The image services' resampling of one 8-bit plane into another. For every
// pixel of area (in the destination's coordinates), coords gives where to
// sample the source (16.16, in the source's coordinates): 1D one horizontal
// position per pixel, the row staying the same; 2D a (vertical, horizontal)
// pair per pixel. method 0 takes the nearest pixel, any other blends the four
// around it. Positions outside the source repeat its edge.
abi::OSErr interpolate1D(abi::PSImagePlane* source, abi::PSImagePlane* destination, abi::Rect16* area,
                         abi::Fixed* coords, std::int16_t method);
abi::OSErr interpolate2D(abi::PSImagePlane* source, abi::PSImagePlane* destination, abi::Rect16* area,
                         abi::Fixed* coords, std::int16_t method);

}  // namespace mugwarp
