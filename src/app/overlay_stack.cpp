#include "app/overlay_stack.h"

namespace mugwarp {

void OverlayStack::flattenInto(PixelSurface& picture) const {
    for (const Overlay& overlay : overlays_) {
        const Rect target{static_cast<int>(overlay.location.left), static_cast<int>(overlay.location.top),
                          static_cast<int>(overlay.location.right), static_cast<int>(overlay.location.bottom)};
        picture.draw(target, overlay.picture);
    }
}

}  // namespace mugwarp
