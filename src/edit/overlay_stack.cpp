#include "edit/overlay_stack.h"

#include <algorithm>
#include <cmath>

namespace mugwarp {
namespace {

int truncatedEdge(float v) {
    if (!(v > -2147483520.0f)) return clampToInt(-2147483647LL - 1);  // also NaN
    if (v > 2147483520.0f) return clampToInt(2147483647LL);
    return static_cast<int>(v);
}

}  // namespace

Rect flattenedRect(const FloatRect& location) {
    return {truncatedEdge(location.left), truncatedEdge(location.top), truncatedEdge(location.right),
            truncatedEdge(location.bottom)};
}

std::size_t OverlayStack::add(Overlay overlay) {
    overlays_.push_back(std::move(overlay));
    return overlays_.size() - 1;
}

void OverlayStack::insert(std::size_t index, Overlay overlay) {
    overlays_.insert(overlays_.begin() + static_cast<std::ptrdiff_t>(std::min(index, overlays_.size())), std::move(overlay));
}

void OverlayStack::remove(std::size_t index) {
    if (index < overlays_.size()) overlays_.erase(overlays_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::size_t> OverlayStack::topmostAt(float x, float y) const {
    for (std::size_t i = overlays_.size(); i-- > 0;) {
        const FloatRect& r = overlays_[i].location;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return i;
    }
    return std::nullopt;
}

void OverlayStack::flattenInto(PixelSurface& picture) const {
    for (const Overlay& overlay : overlays_) picture.draw(flattenedRect(overlay.location), *overlay.picture);
}

}  // namespace mugwarp
