#pragma once
#include <array>

#include "raster/displacement_map.h"
#include "warp/warp_brush.h"
#include "warp/warp_tool.h"

namespace mugwarp {

// Fills the brush meshes (both already sized S x S, S >= 2) for a tool:
// Putty puts the weight in both components of mesh 0 and leaves mesh 1 alone;
// Warp and Twirl fill mesh 0 (left button) and mesh 1 (right button) with the
// weighted displacement of their polar operation, in pixels.
void buildBrushMeshes(WarpTool tool, const WarpBrush& brush, std::array<DisplacementMap, 2>& meshes);

}  // namespace mugwarp
