#include "warp/warp_tool.h"

namespace mugwarp {

float toolParameter(WarpTool tool) {
    switch (tool) {
        case WarpTool::Warp: return 0.9f;
        case WarpTool::Twirl: return 0.2f;
        case WarpTool::Putty: break;
    }
    return 0.0f;
}

}  // namespace mugwarp
