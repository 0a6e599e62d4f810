#include "raster/pixel_surface.h"

#include <algorithm>
#include <new>

#include "raster/error.h"

namespace mugwarp {

PixelSurface::PixelSurface(int width, int height) { setSize(width, height); }

PixelSurface::PixelSurface(const PixelSurface& other)
    : width_(other.width_),
      height_(other.height_),
      bits_(other.bits_),
      outerColor_(other.outerColor_),
      drawMode_(other.drawMode_),
      combineMode_(other.combineMode_),
      masterAlpha_(other.masterAlpha_),
      sampler_(other.sampler_),
      penColor_(other.penColor_) {}

PixelSurface& PixelSurface::operator=(const PixelSurface& other) {
    if (this == &other) return *this;
    bits_ = other.bits_;
    width_ = other.width_;
    height_ = other.height_;
    outerColor_ = other.outerColor_;
    drawMode_ = other.drawMode_;
    combineMode_ = other.combineMode_;
    masterAlpha_ = other.masterAlpha_;
    sampler_ = other.sampler_;
    changed();
    return *this;
}

PixelSurface::PixelSurface(PixelSurface&& other) noexcept = default;
PixelSurface& PixelSurface::operator=(PixelSurface&& other) noexcept = default;

void PixelSurface::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    if (width == 0 || height == 0) width = height = 0;
    std::vector<Argb> bits;
    try {
        bits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        throw Error("Out of memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    } catch (const std::length_error&) {
        throw Error("Out of memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    }
    bits_ = std::move(bits);
    width_ = width;
    height_ = height;
}

void PixelSurface::setMasterAlpha(int a) { masterAlpha_ = static_cast<std::uint8_t>(std::clamp(a, 0, 255)); }

void PixelSurface::changed(const Rect& r) const {
    if (onChange_) {
        const Rect clipped = r.intersected(bounds());
        if (!clipped.isEmpty()) onChange_(clipped);
    }
}

}  // namespace mugwarp
