#include "raster/pixel_surface.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "raster/cell_storage.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

namespace {

// A copy of a picture's pixels; running out of memory is an Error like any
// other request for a picture.
PictureCells<Argb> copiedBits(const PixelSurface& surface) {
    if (allocationHookFails()) throw Error("Not enough memory for a copy of the picture");
    try {
        // Fresh zeroed cells filled by one block copy: a range construction
        // would go cell by cell through the allocator.
        PictureCells<Argb> bits(surface.pixelCount());
        std::copy_n(surface.bits(), surface.pixelCount(), bits.data());
        return bits;
    } catch (const std::bad_alloc&) {
        throw Error("Not enough memory for a copy of the picture");
    }
}

}  // namespace

PixelSurface::PixelSurface(int width, int height) { setSize(width, height); }

// Assignment carries what a surface draws and samples with; the pen and the
// change handler belong to the object itself.
void PixelSurface::takeSettingsFrom(const PixelSurface& other) {
    width_ = other.width_;
    height_ = other.height_;
    outerColor_ = other.outerColor_;
    drawMode_ = other.drawMode_;
    combineMode_ = other.combineMode_;
    masterAlpha_ = other.masterAlpha_;
    sampler_ = other.sampler_;
}

PixelSurface::PixelSurface(const PixelSurface& other) : bits_(copiedBits(other)) { takeSettingsFrom(other); }

// A picture of the same size is copied into the storage the pixels live in.
PixelSurface& PixelSurface::operator=(const PixelSurface& other) {
    if (this == &other) return *this;
    if (storage_ && other.width_ == width_ && other.height_ == height_) {
        std::copy_n(other.bits(), other.pixelCount(), outside_);
    } else {
        bits_ = copiedBits(other);
        dropStorage();
    }
    takeSettingsFrom(other);
    changed();
    return *this;
}

// Moves follow the copy rules: the change handler stays with the object it was
// installed on, so a view keeps hearing about the surface it shows.
PixelSurface::PixelSurface(PixelSurface&& other) noexcept
    : bits_(std::move(other.bits_)), storage_(std::move(other.storage_)), outside_(other.outside_) {
    takeSettingsFrom(other);
    other.width_ = other.height_ = 0;
    other.bits_.clear();
    other.outside_ = nullptr;
}

PixelSurface& PixelSurface::operator=(PixelSurface&& other) noexcept {
    if (this == &other) return *this;
    bits_ = std::move(other.bits_);
    storage_ = std::move(other.storage_);
    outside_ = other.outside_;
    takeSettingsFrom(other);
    other.width_ = other.height_ = 0;
    other.bits_.clear();
    other.outside_ = nullptr;
    changed();
    return *this;
}

void PixelSurface::setSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    if (width == 0 || height == 0) width = height = 0;
    if (width != 0 && static_cast<std::size_t>(width) * static_cast<std::size_t>(height) == pixelCount()) {
        // Same cell count (a quarter turn): reuse the block.
        std::fill_n(bits(), pixelCount(), Argb{0});
        width_ = width;
        height_ = height;
        return;
    }
    auto bits = allocateCells<Argb, PictureCells<Argb>::allocator_type>(
        width, height, "Out of memory for a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
    bits_ = std::move(bits);
    dropStorage();
    width_ = width;
    height_ = height;
}

void PixelSurface::adoptStorage(std::shared_ptr<PixelStorage> storage) {
    if (!storage || storage.get() == storage_.get()) return;
    if (storage->capacity() < pixelCount()) throw Error("The picture does not fit into the memory meant for it");
    outside_ = storage->pixels();
    storage_ = std::move(storage);
    bits_ = {};
}

void PixelSurface::leaveStorage() {
    if (!storage_) return;
    bits_ = allocateCells<Argb, PictureCells<Argb>::allocator_type>(width_, height_,
                                                                    "Not enough memory for a copy of the picture");
    dropStorage();
}

void PixelSurface::dropStorage() {
    storage_.reset();
    outside_ = nullptr;
}

void PixelSurface::setMasterAlpha(int a) { masterAlpha_ = static_cast<std::uint8_t>(std::clamp(a, 0, 255)); }

void PixelSurface::changed(const Rect& r) const {
    if (onChange_) {
        const Rect clipped = r.intersected(bounds());
        if (!clipped.isEmpty()) onChange_(clipped);
    }
}

void PixelSurface::assign(const PlatformBitmap& bitmap) {
    setSize(bitmap.width(), bitmap.height());
    for (int y = 0; y < height_; ++y) {
        Argb* out = row(y);
        if (bitmap.bitsPerPixel() == 32) {
            const std::uint8_t* in = bitmap.scanLine(y);
            for (int x = 0; x < width_; ++x, in += 4) out[x] = makeArgb(in[3], in[2], in[1], in[0]);
        } else {
            for (int x = 0; x < width_; ++x) out[x] = bitmap.pixelArgb(x, y) | 0xFF000000u;
        }
    }
    if (bitmap.transparent()) {
        const Argb key = argbFromPlatform(bitmap.transparentColor(), 0);
        std::for_each(bits(), bits() + pixelCount(), [key](Argb& p) {
            if ((p & 0x00FFFFFFu) == key) p &= 0x00FFFFFFu;
        });
    }
    changed();
}

PlatformBitmap PixelSurface::toPlatformBitmap() const {
    PlatformBitmap bitmap(width_, height_, 32);
    copyInto(bitmap);
    return bitmap;
}

void PixelSurface::copyInto(PlatformBitmap& bitmap) const {
    if (bitmap.width() != width_ || bitmap.height() != height_ || bitmap.bitsPerPixel() != 32 ||
        bitmap.transparent() || !bitmap.palette().empty())
        bitmap = PlatformBitmap(width_, height_, 32);
    for (int y = 0; y < height_; ++y) {
        const Argb* in = row(y);
        std::uint8_t* out = bitmap.scanLine(y);
        if constexpr (std::endian::native == std::endian::little) {
            // Bytes blue, green, red, alpha are the 0xAARRGGBB word as stored.
            std::memcpy(out, in, static_cast<std::size_t>(width_) * sizeof(Argb));
            continue;
        }
        for (int x = 0; x < width_; ++x, out += 4) {
            out[0] = blueOf(in[x]);
            out[1] = greenOf(in[x]);
            out[2] = redOf(in[x]);
            out[3] = alphaOf(in[x]);
        }
    }
}

void PixelSurface::fillRect(const Rect& r, Argb color) {
    const Rect area = r.intersected(bounds());
    if (area.isEmpty()) return;
    for (int y = area.top; y < area.bottom; ++y) std::fill(row(y) + area.left, row(y) + area.right, color);
    changed(area);
}

void PixelSurface::setBorderTransparent(const Rect& r) {
    const Rect area = r.intersected(bounds());
    if (area.isEmpty()) return;
    auto clearAlpha = [this](int x, int y) { row(y)[x] &= 0x00FFFFFFu; };
    for (int x = area.left; x < area.right; ++x) {
        clearAlpha(x, area.top);
        clearAlpha(x, area.bottom - 1);
    }
    for (int y = area.top; y < area.bottom; ++y) {
        clearAlpha(area.left, y);
        clearAlpha(area.right - 1, y);
    }
    changed(area);
}

void PixelSurface::resetAlpha(std::uint8_t value) {
    const Argb alpha = Argb(value) << 24;
    std::for_each(bits(), bits() + pixelCount(), [alpha](Argb& p) { p = (p & 0x00FFFFFFu) | alpha; });
    changed();
}

void PixelSurface::moveTo(float x, float y) {
    penX_ = toFixed(x);
    penY_ = toFixed(y);
}

}  // namespace mugwarp
