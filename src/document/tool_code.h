#pragma once

namespace mugwarp {

// The document's current tool. 3 and 4 are never used.
enum class ToolCode : int {
    Arrow = -1,
    Putty = 0,
    Warp = 1,
    Twirl = 2,
    Erase = 5,
    Paint = 6,
    PickColour = 7,
    Crop = 8,
};

constexpr bool isWarpTool(ToolCode t) { return t == ToolCode::Putty || t == ToolCode::Warp || t == ToolCode::Twirl; }
// Erase, Paint, Pick Colour and Crop work on the flat picture.
constexpr bool isFlatTool(ToolCode t) { return static_cast<int>(t) > 4; }

}  // namespace mugwarp
