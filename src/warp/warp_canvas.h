#pragma once

namespace mugwarp {

class ByteMap;
class PixelSurface;
class RemapTransform;

// What a brush application works on: the undeformed source (read only), the
// displayed surface it re-renders, and the remap whose displacement map holds
// the deformation. Map, source and display all have the picture's size.
// The freeze mask, when there is one, has it too (an empty mask, or none,
// freezes nothing); Freeze and Thaw paint it, the other tools read it.
struct WarpCanvas {
    const PixelSurface& source;
    PixelSurface& display;
    RemapTransform& remap;
    ByteMap* freeze = nullptr;
};

}  // namespace mugwarp
