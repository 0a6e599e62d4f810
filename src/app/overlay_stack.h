#pragma once
#include <vector>

#include "raster/geometry.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// Overlay objects (clipart, talk bubbles, text) that float over the picture
// until a save draws them in. None can be inserted yet; saving already
// flattens whatever the stack holds, bottom first.
struct Overlay {
    FloatRect location;  // picture pixels
    PixelSurface picture;
};

class OverlayStack {
public:
    void add(Overlay overlay) { overlays_.push_back(std::move(overlay)); }
    void clear() { overlays_.clear(); }
    bool isEmpty() const { return overlays_.empty(); }
    std::size_t size() const { return overlays_.size(); }

    // Draws every overlay into the picture, stretched into its location with
    // each edge truncated toward zero, by the overlay picture's own draw mode
    // and resampler. The overlays stay where they are.
    void flattenInto(PixelSurface& picture) const;

private:
    std::vector<Overlay> overlays_;
};

}  // namespace mugwarp
