#include "warp/deformed_grid.h"

#include <algorithm>
#include <cmath>

namespace mugwarp {

GridPoint shownPosition(const DisplacementMap& map, GridPoint q) {
    constexpr int kRounds = 4;
    GridPoint p = q;
    for (int i = 0; i < kRounds; ++i) {
        const double fx = std::clamp(p.x, -30000.0, 30000.0);
        const double fy = std::clamp(p.y, -30000.0, 30000.0);
        const FixedVector d = map.fixedVector(toFixed(fx), toFixed(fy));
        p = {q.x - d.x / 65536.0, q.y - d.y / 65536.0};
    }
    return p;
}

}  // namespace mugwarp
