#pragma once

namespace mugwarp {

// The document's current tool. 3 and 4 are never used; the brush tools share
// their values with WarpTool.
enum class ToolCode : int {
    Arrow = -1,
    Putty = 0,
    Warp = 1,
    Twirl = 2,
    Erase = 5,
    Paint = 6,
    PickColour = 7,
    Crop = 8,
    Reconstruct = 9,
    Smooth = 10,
    Freeze = 11,
    Thaw = 12,
};

// The brush tools, which work on the deformation (or the freeze mask) over
// the displayed picture.
constexpr bool isWarpTool(ToolCode t) {
    const int code = static_cast<int>(t);
    return (code >= 0 && code <= 2) || (code >= 9 && code <= 12);
}
// Erase, Paint, Pick Colour and Crop work on the flat picture.
constexpr bool isFlatTool(ToolCode t) { return static_cast<int>(t) >= 5 && static_cast<int>(t) <= 8; }
// Freeze and Thaw paint the freeze mask.
constexpr bool isFreezeTool(ToolCode t) { return t == ToolCode::Freeze || t == ToolCode::Thaw; }

}  // namespace mugwarp
