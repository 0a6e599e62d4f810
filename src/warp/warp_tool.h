#pragma once

namespace mugwarp {

// The brush tools; the values are the document's tool codes (3 and 4 were
// never used, 5 to 8 are the flat-image tools).
enum class WarpTool { Putty = 0, Warp = 1, Twirl = 2, Reconstruct = 9, Smooth = 10, Freeze = 11, Thaw = 12 };

// What a brush application does with its tool.
enum class BrushKind {
    Mesh,    // Putty, Warp, Twirl: composes a brush mesh into the deformation
    Field,   // Reconstruct, Smooth: reworks the deformation in place
    Freeze,  // Freeze, Thaw: paints the freeze mask, the picture stays
};

constexpr BrushKind brushKind(WarpTool tool) {
    switch (tool) {
        case WarpTool::Reconstruct:
        case WarpTool::Smooth: return BrushKind::Field;
        case WarpTool::Freeze:
        case WarpTool::Thaw: return BrushKind::Freeze;
        case WarpTool::Putty:
        case WarpTool::Warp:
        case WarpTool::Twirl: break;
    }
    return BrushKind::Mesh;
}

// The tool's strength constant k: 0.9 for Warp, 0.2 for Twirl, 0 for the
// others (Putty builds its mesh from the weight alone).
float toolParameter(WarpTool tool);

// Whether holding the button still keeps applying the tool (the 50 ms repeat).
constexpr bool repeatsWhileHeld(WarpTool tool) { return tool != WarpTool::Putty; }

// Pressure each tool gives the brush when it is selected. The tools that do
// not move pixels take the whole weight: their strength comes from Effect.
constexpr double toolPressure(WarpTool tool) {
    switch (brushKind(tool)) {
        case BrushKind::Mesh: return tool == WarpTool::Warp ? 0.15 : 0.5;
        case BrushKind::Field:
        case BrushKind::Freeze: break;
    }
    return 1.0;
}

// The strength s in [1/16, 1] the Effect setting (-100..100) gives the
// Reconstruct, Smooth, Freeze and Thaw brushes: s = 2^(effect / 50) / 4, so
// -100 gives 1/16, 0 gives 1/4 and 100 the whole weight.
double effectStrength(int effect);

}  // namespace mugwarp
