#pragma once
#include "raster/displacement_map.h"

namespace mugwarp {

struct GridPoint {
    double x = 0;
    double y = 0;
};

// Where the picture's point q is shown now, to first order. Display pixel p
// shows the source at p + d(p), so q is shown near q - d(q). Solving
// p + d(p) = q exactly would need d to change slowly, which a strong twirl
// does not: there the exact answer jumps between the layers of the fold,
// while this one stays continuous, so the mesh's lines never break. Outside
// the map d counts as zero.
GridPoint shownPosition(const DisplacementMap& map, GridPoint q);

}  // namespace mugwarp
