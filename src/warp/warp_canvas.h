#pragma once

namespace mugwarp {

class PixelSurface;
class RemapTransform;

// What a brush application works on: the undeformed source (read only), the
// displayed surface it re-renders, and the remap whose displacement map holds
// the deformation. Map, source and display all have the picture's size.
struct WarpCanvas {
    const PixelSurface& source;
    PixelSurface& display;
    RemapTransform& remap;
};

}  // namespace mugwarp
