#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "raster/geometry.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// One overlay object (clipart, talk bubble or a line of text): a picture of
// its own, drawn blended and stretched by nearest pixels into its location.
// The picture never changes once made, so the history's steps share it.
struct Overlay {
    Overlay() = default;
    Overlay(FloatRect where, PixelSurface pixels)
        : location(where), picture(std::make_shared<const PixelSurface>(std::move(pixels))) {}
    Overlay(FloatRect where, std::shared_ptr<const PixelSurface> pixels) : location(where), picture(std::move(pixels)) {}

    FloatRect location;  // picture pixels
    std::shared_ptr<const PixelSurface> picture = std::make_shared<const PixelSurface>();
};

// The overlay objects floating over the picture, bottom first, until a save
// draws them in. They are shown or hidden all together (the warp and flat
// tools hide them); hidden overlays are kept and still saved.
class OverlayStack {
public:
    // A new overlay goes on top; returns its index.
    std::size_t add(Overlay overlay);
    // Puts an overlay back at index (at most size()), the ones from there on
    // moving up.
    void insert(std::size_t index, Overlay overlay);
    void remove(std::size_t index);
    void clear() { overlays_.clear(); }
    bool isEmpty() const { return overlays_.empty(); }
    std::size_t size() const { return overlays_.size(); }
    const Overlay& at(std::size_t index) const { return overlays_.at(index); }
    Overlay& at(std::size_t index) { return overlays_.at(index); }

    bool visible() const { return visible_; }
    void setVisible(bool visible) { visible_ = visible; }

    // The topmost overlay whose location holds the picture point.
    std::optional<std::size_t> topmostAt(float x, float y) const;

    // Draws every overlay into the picture, stretched into its location with
    // each edge truncated toward zero, by the overlay picture's own draw mode
    // and resampler. The overlays stay where they are.
    void flattenInto(PixelSurface& picture) const;

private:
    std::vector<Overlay> overlays_;
    bool visible_ = true;
};

// The integer rectangle an overlay is drawn into when flattened: each edge of
// its location truncated toward zero (and kept inside the int range).
Rect flattenedRect(const FloatRect& location);

}  // namespace mugwarp
