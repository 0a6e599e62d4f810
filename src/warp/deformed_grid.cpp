#include "warp/deformed_grid.h"

#include <algorithm>

namespace mugwarp {

GridPoint shownPosition(const DisplacementMap& map, GridPoint q) {
    // Far outside the map the vector is zero anyway; the clamp keeps the
    // conversion to fixed point in range.
    const double fx = std::clamp(q.x, -30000.0, 30000.0);
    const double fy = std::clamp(q.y, -30000.0, 30000.0);
    const FixedVector d = map.fixedVector(toFixed(fx), toFixed(fy));
    return {q.x - d.x / 65536.0, q.y - d.y / 65536.0};
}

}  // namespace mugwarp
