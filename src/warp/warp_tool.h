#pragma once

namespace mugwarp {

// The three deformation tools; the values are the document's tool codes.
enum class WarpTool { Putty = 0, Warp = 1, Twirl = 2 };

// The tool's strength constant k: 0.9 for Warp, 0.2 for Twirl, 0 for Putty
// (Putty builds its mesh from the weight alone).
float toolParameter(WarpTool tool);

// Whether holding the button still keeps applying the tool (the 50 ms repeat).
constexpr bool repeatsWhileHeld(WarpTool tool) { return tool != WarpTool::Putty; }

// Pressure each tool gives the brush when it is selected.
constexpr double toolPressure(WarpTool tool) { return tool == WarpTool::Warp ? 0.15 : 0.5; }

}  // namespace mugwarp
