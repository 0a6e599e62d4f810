#include "warp/warp_tool.h"

#include <algorithm>
#include <cmath>

namespace mugwarp {

float toolParameter(WarpTool tool) {
    switch (tool) {
        case WarpTool::Warp: return 0.9f;
        case WarpTool::Twirl: return 0.2f;
        default: break;
    }
    return 0.0f;
}

double effectStrength(int effect) { return std::exp2(std::clamp(effect, -100, 100) / 50.0) / 4.0; }

}  // namespace mugwarp
