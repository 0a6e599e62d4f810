#pragma once
#include "raster/displacement_map.h"

namespace mugwarp {

struct GridPoint {
    double x = 0;
    double y = 0;
};

// Where the picture's point q is shown now. Display pixel p shows the source
// at p + d(p), so q is shown at the p with p + d(p) = q; a few rounds of
// p := q - d(p) find it wherever the deformation does not fold (elsewhere
// the mesh just shows the fold). Outside the map d counts as zero.
GridPoint shownPosition(const DisplacementMap& map, GridPoint q);

}  // namespace mugwarp
