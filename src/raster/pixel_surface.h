#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "raster/cell_storage.h"
#include "raster/color.h"
#include "raster/fixed.h"
#include "raster/geometry.h"
#include "raster/pixel_storage.h"

namespace mugwarp {

class PlatformBitmap;

enum class DrawMode { Opaque, Blend };
enum class CombineMode { Blend, Merge };
enum class SamplerKind { Nearest, Bilinear };

// A 32-bit picture, pixels 0xAARRGGBB row by row from the top.
// Copying a surface is "assign from another surface": size, pixels, draw and
// combine mode, master alpha, outer colour and resampler travel; the change
// handler stays with the object it was installed on.
class PixelSurface {
public:
    using ChangeHandler = std::function<void(const Rect&)>;

    PixelSurface() = default;
    PixelSurface(int width, int height);
    PixelSurface(const PixelSurface& other);
    PixelSurface& operator=(const PixelSurface& other);
    PixelSurface(PixelSurface&& other) noexcept;
    PixelSurface& operator=(PixelSurface&& other) noexcept;

    int width() const { return width_; }
    int height() const { return height_; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }

    // Negative sizes count as 0; an unchanged size keeps the pixels.
    // A new size leaves every pixel 0. Throws Error when memory cannot be had.
    void setSize(int width, int height);

    Argb* bits() { return outside_ ? outside_ : bits_.data(); }
    const Argb* bits() const { return outside_ ? outside_ : bits_.data(); }
    Argb* row(int y) { return bits() + static_cast<std::size_t>(y) * width_; }
    const Argb* row(int y) const { return bits() + static_cast<std::size_t>(y) * width_; }
    std::size_t pixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }

    // Lets the pixels live in storage that already holds a copy of them (a
    // filter runner's shared picture) and keeps them there (its own block is
    // freed) until the size changes or another surface's pixels are moved
    // or assigned in; copies of the surface get blocks of their own. Nothing
    // changes when the pixels already live there. Throws Error when the
    // storage is too small.
    void adoptStorage(std::shared_ptr<PixelStorage> storage);
    // Back to a block of its own without reading the storage (which may no
    // longer be readable): every pixel is then 0. Throws Error when memory
    // cannot be had, leaving the surface in its storage.
    void leaveStorage();
    const PixelStorage* storage() const { return storage_.get(); }
    // No bounds check: callers keep x, y inside.
    Argb pixel(int x, int y) const { return row(y)[x]; }
    void setPixel(int x, int y, Argb c) { row(y)[x] = c; }

    Argb outerColor() const { return outerColor_; }
    void setOuterColor(Argb c) { outerColor_ = c; }
    DrawMode drawMode() const { return drawMode_; }
    void setDrawMode(DrawMode m) { drawMode_ = m; }
    CombineMode combineMode() const { return combineMode_; }
    void setCombineMode(CombineMode m) { combineMode_ = m; }
    std::uint8_t masterAlpha() const { return masterAlpha_; }
    void setMasterAlpha(int a);
    SamplerKind samplerKind() const { return sampler_; }
    void setSamplerKind(SamplerKind s) { sampler_ = s; }
    Argb penColor() const { return penColor_; }
    void setPenColor(Argb c) { penColor_ = c; }

    Fixed penX() const { return penX_; }
    Fixed penY() const { return penY_; }

    void setChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }
    void changed(const Rect& r) const;
    void changed() const { changed(bounds()); }

    // Assign from a platform bitmap: 32-bit keeps alpha, other depths get 255;
    // a transparent bitmap's key colour (low 24 bits) gets alpha 0.
    void assign(const PlatformBitmap& bitmap);
    // Assign to a 32-bit platform bitmap, alpha kept.
    PlatformBitmap toPlatformBitmap() const;
    // Makes bitmap what toPlatformBitmap() returns, reusing its memory when it
    // already is a plain 32-bit bitmap of this size (no fresh block to fault
    // in for a large picture).
    void copyInto(PlatformBitmap& bitmap) const;

    // Same as copy assignment.
    void assign(const PixelSurface& other) { *this = other; }

    // Sets (does not blend) the pixels of r, clipped to the surface.
    void fillRect(const Rect& r, Argb color);
    // Clears the alpha of the outermost rows and columns of r ∩ bounds.
    void setBorderTransparent(const Rect& r);
    void moveTo(float x, float y);
    // Anti-aliased line from the pen position in the pen colour, blended by the
    // pen's alpha; the end point itself is left out. Integer coordinates are
    // pixel centres.
    void lineTo(Fixed x, Fixed y);
    // Draws source stretched into dst through the source's resampler and draw mode.
    void draw(const Rect& dst, const PixelSurface& source);
    // Draws this surface unscaled at (x, y) of the destination by this surface's modes.
    void drawTo(PixelSurface& destination, int x, int y) const;
    void resetAlpha(std::uint8_t value = 255);
    // Bevel on the inside edge of r: light top and left, dark bottom and right
    // for a positive contrast, the other way round for a negative one.
    void raiseRectangle(const Rect& r, int contrastPercent);
    // The target becomes height x width (or width x height for 180 degrees);
    // only its size and pixels change. The target may be this surface.
    void rotate90ClockwiseInto(PixelSurface& target) const;
    void rotate90CounterClockwiseInto(PixelSurface& target) const;
    void rotate180Into(PixelSurface& target) const;
    void rotate180();

private:
    void takeSettingsFrom(const PixelSurface& other);

    int width_ = 0;
    int height_ = 0;
    void dropStorage();

    PictureCells<Argb> bits_;  // unused while the pixels live in storage_
    std::shared_ptr<PixelStorage> storage_;
    Argb* outside_ = nullptr;  // storage_'s pixels
    Argb outerColor_ = 0;
    DrawMode drawMode_ = DrawMode::Opaque;
    CombineMode combineMode_ = CombineMode::Blend;
    std::uint8_t masterAlpha_ = 255;
    SamplerKind sampler_ = SamplerKind::Nearest;
    Argb penColor_ = 0xFFFFFFFF;
    Fixed penX_ = 0, penY_ = 0;
    ChangeHandler onChange_;
};

// Lays one source pixel over a destination pixel by the combine mode, with the
// source alpha scaled by masterAlpha / 255. Merging onto a destination whose
// alpha is 0 yields the source pixel exactly (alpha scaled by masterAlpha).
Argb blendPixel(Argb source, Argb destination, CombineMode mode, std::uint8_t masterAlpha);

// Writes one pixel of `source` onto a destination pixel as the source's draw
// mode, combine mode and master alpha say.
inline Argb drawPixel(Argb pixel, Argb destination, const PixelSurface& source) {
    return source.drawMode() == DrawMode::Opaque
               ? pixel
               : blendPixel(pixel, destination, source.combineMode(), source.masterAlpha());
}

}  // namespace mugwarp
