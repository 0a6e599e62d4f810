#include "app/tool_table.h"

#include <array>

namespace mugwarp {
namespace {

using B = ToolPalette::Button;

constexpr std::array kTools = {
    ToolEntry{ToolCode::Arrow, B::Arrow, "Select", "Select objects", "arrowButton", "arrowKey", Qt::Key_A, 0, 0, false,
              "Click an object to select it; drag it to move it, drag a handle to resize (Ctrl: about its centre)"},
    ToolEntry{ToolCode::Crop, B::Crop, "Crop", "Crop", "cropButton", "cropKey", Qt::Key_C, 0, 2, false,
              "Drag a rectangle around the part to keep"},
    ToolEntry{ToolCode::Erase, B::Erase, "Erase", "Erase", "eraseButton", "eraseKey", Qt::Key_E, 0, 3, false,
              "Drag to make the picture transparent; the palette's size menu sets the square"},
    ToolEntry{ToolCode::Paint, B::Paint, "Paint", "Paint", "paintButton", "paintKey", Qt::Key_B, 1, 3, false,
              "Drag to paint squares in the palette's colour; the size menu sets the square"},
    ToolEntry{ToolCode::Twirl, B::Twirl, "Twirl", "Twirl", "twirlButton", "Twirl1", Qt::Key_T, 0, 4, true,
              "Hold the left button to turn the picture one way, the right button to turn it the other way"},
    ToolEntry{ToolCode::PickColour, B::PickColour, "Pick Colour", "Pick colour", "pickColourButton", "pickColourKey",
              Qt::Key_I, 1, 4, false, "Click to take the colour under the pointer for Paint"},
    ToolEntry{ToolCode::Putty, B::Putty, "Putty", "Putty", "puttyButton", "Putty1", Qt::Key_P, 0, 5, true,
              "Drag to push the picture along; the right button pushes the other way"},
    ToolEntry{ToolCode::Warp, B::Warp, "Warp", "Warp", "warpButton", "Warp1", Qt::Key_W, 1, 5, true,
              "Hold the left button to swell, the right button to shrink; Up/Down: size, Left/Right: effect"},
    ToolEntry{ToolCode::Reconstruct, B::Reconstruct, "Reconstruct", "Reconstruct: brush the picture back", "reconstructButton",
              "Reconstruct1", Qt::Key_R, 0, 7, true,
              "Brush over a pull to take it back towards the picture as it was; Effect sets how fast"},
    ToolEntry{ToolCode::Smooth, B::Smooth, "Smooth", "Smooth: even out the pulls", "smoothButton", "Smooth1", Qt::Key_M,
              1, 7, true, "Brush over jagged pulls to even them out; a plain shift stays as it is"},
    ToolEntry{ToolCode::Freeze, B::Freeze, "Freeze", "Freeze: protect from the brushes", "freezeButton", "Freeze1",
              Qt::Key_F, 0, 8, true, "Paint the red mask over what the other brushes must not move; the right button thaws"},
    ToolEntry{ToolCode::Thaw, B::Thaw, "Thaw", "Thaw: remove the protection", "thawButton", "Thaw1", Qt::Key_H, 1, 8,
              true, "Brush the red freeze mask away (the right button freezes); Mugwarp \u203a Freeze None clears it all"},
};

}  // namespace

std::span<const ToolEntry> toolTable() { return kTools; }

const ToolEntry* toolEntry(ToolCode code) {
    for (const ToolEntry& e : kTools)
        if (e.code == code) return &e;
    return nullptr;
}

const ToolEntry* toolEntry(ToolPalette::Button button) {
    for (const ToolEntry& e : kTools)
        if (e.button == button) return &e;
    return nullptr;
}

}  // namespace mugwarp
