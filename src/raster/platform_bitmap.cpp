#include "raster/platform_bitmap.h"

#include <algorithm>
#include <string>

#include "raster/cell_storage.h"
#include "raster/error.h"
#include "raster/palette.h"

namespace mugwarp {

namespace {

bool isSupportedDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }

void requireDepth(int bpp) {
    if (!isSupportedDepth(bpp)) throw Error("Unsupported bits per pixel: " + std::to_string(bpp));
}

}  // namespace

PlatformBitmap::PlatformBitmap(int width, int height, int bitsPerPixel) { setSize(width, height, bitsPerPixel); }

std::size_t PlatformBitmap::strideFor(int width, int bitsPerPixel) {
    const std::size_t bits = static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(bitsPerPixel);
    return (bits + 31) / 32 * 4;
}

void PlatformBitmap::setSize(int width, int height, int bitsPerPixel) {
    requireDepth(bitsPerPixel);
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == 0 || height == 0) width = height = 0;
    const std::string message =
        "Out of memory for a " + std::to_string(width) + " x " + std::to_string(height) + " bitmap";
    checkCellCount(width, height, message);
    const std::size_t stride = strideFor(width, bitsPerPixel);
    auto data = allocateZeroed<std::uint8_t, PictureCells<std::uint8_t>::allocator_type>(
        stride * static_cast<std::size_t>(height), message);
    data_ = std::move(data);
    width_ = width;
    height_ = height;
    bitsPerPixel_ = bitsPerPixel;
    stride_ = stride;
    if (bitsPerPixel_ <= 8 && palette_.empty()) palette_ = defaultPalette(bitsPerPixel_);
}

int PlatformBitmap::pixelIndex(int x, int y) const {
    const std::uint8_t* line = scanLine(y);
    switch (bitsPerPixel_) {
        case 1: return (line[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        case 8: return line[x];
        default: return 0;
    }
}

void PlatformBitmap::setPixelIndex(int x, int y, int index) {
    std::uint8_t* line = scanLine(y);
    switch (bitsPerPixel_) {
        case 1: {
            const std::uint8_t mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
            line[x >> 3] = static_cast<std::uint8_t>((line[x >> 3] & ~mask) | ((index & 1) ? mask : 0));
            break;
        }
        case 4: {
            const int shift = (x & 1) ? 0 : 4;
            line[x >> 1] = static_cast<std::uint8_t>((line[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
            break;
        }
        case 8: line[x] = static_cast<std::uint8_t>(index); break;
        default: break;
    }
}

Argb PlatformBitmap::pixelArgb(int x, int y) const {
    const std::uint8_t* line = scanLine(y);
    switch (bitsPerPixel_) {
        case 32: {
            const std::uint8_t* p = line + static_cast<std::size_t>(x) * 4;
            return makeArgb(p[3], p[2], p[1], p[0]);
        }
        case 24: {
            const std::uint8_t* p = line + static_cast<std::size_t>(x) * 3;
            return makeArgb(255, p[2], p[1], p[0]);
        }
        default: {
            // An index past the end of a short palette reads as black.
            const auto index = static_cast<std::size_t>(pixelIndex(x, y));
            if (index >= palette_.size()) return 0xFF000000u;
            const PaletteEntry& e = palette_[index];
            return makeArgb(255, e.red, e.green, e.blue);
        }
    }
}

void PlatformBitmap::setPixelArgb(int x, int y, Argb color) {
    std::uint8_t* line = scanLine(y);
    switch (bitsPerPixel_) {
        case 32: {
            std::uint8_t* p = line + static_cast<std::size_t>(x) * 4;
            p[0] = blueOf(color);
            p[1] = greenOf(color);
            p[2] = redOf(color);
            p[3] = alphaOf(color);
            break;
        }
        case 24: {
            std::uint8_t* p = line + static_cast<std::size_t>(x) * 3;
            p[0] = blueOf(color);
            p[1] = greenOf(color);
            p[2] = redOf(color);
            break;
        }
        default: setPixelIndex(x, y, nearestPaletteIndex(palette_, color)); break;
    }
}

void PlatformBitmap::setBitsPerPixel(int bitsPerPixel) {
    requireDepth(bitsPerPixel);
    if (bitsPerPixel == bitsPerPixel_) return;
    PlatformBitmap converted;
    converted.palette_ = bitsPerPixel <= 8 ? (palette_.empty() ? defaultPalette(bitsPerPixel) : palette_)
                                           : std::vector<PaletteEntry>{};
    if (converted.palette_.size() > (std::size_t{1} << bitsPerPixel)) {
        converted.palette_ = defaultPalette(bitsPerPixel);
    }
    converted.setSize(width_, height_, bitsPerPixel);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) converted.setPixelArgb(x, y, pixelArgb(x, y));
    }
    converted.transparent_ = transparent_;
    converted.transparentColor_ = transparentColor_;
    *this = std::move(converted);
}

void PlatformBitmap::drawBitmap(const PlatformBitmap& source, int x, int y) {
    const Rect area = placedRect(x, y, source.width(), source.height()).intersected(bounds());
    for (int dy = area.top; dy < area.bottom; ++dy) {
        for (int dx = area.left; dx < area.right; ++dx) {
            setPixelArgb(dx, dy, source.pixelArgb(dx - x, dy - y) | 0xFF000000u);
        }
    }
}

void PlatformBitmap::stretchDraw(const Rect& dst, const PlatformBitmap& source) {
    if (dst.isEmpty() || source.isEmpty()) return;
    const Rect area = dst.intersected(bounds());
    const std::int64_t dw = static_cast<std::int64_t>(dst.right) - dst.left;
    const std::int64_t dh = static_cast<std::int64_t>(dst.bottom) - dst.top;
    for (int dy = area.top; dy < area.bottom; ++dy) {
        const int sy = static_cast<int>((dy - static_cast<std::int64_t>(dst.top)) * source.height() / dh);
        for (int dx = area.left; dx < area.right; ++dx) {
            const int sx = static_cast<int>((dx - static_cast<std::int64_t>(dst.left)) * source.width() / dw);
            setPixelArgb(dx, dy, source.pixelArgb(sx, sy));
        }
    }
}

void PlatformBitmap::copyRect(int x, int y, const PlatformBitmap& source, const Rect& sourceRect) {
    // Clip against the source first, then against this bitmap, moving the
    // target corner along with the source rectangle.
    const Rect from = sourceRect.intersected(source.bounds());
    if (from.isEmpty()) return;
    const long long tx = x + (static_cast<long long>(from.left) - sourceRect.left);
    const long long ty = y + (static_cast<long long>(from.top) - sourceRect.top);
    const Rect to = placedRect(tx, ty, from.width(), from.height()).intersected(bounds());
    for (int dy = to.top; dy < to.bottom; ++dy) {
        const int sy = static_cast<int>(from.top + (dy - ty));
        for (int dx = to.left; dx < to.right; ++dx) {
            const int sx = static_cast<int>(from.left + (dx - tx));
            if (bitsPerPixel_ == source.bitsPerPixel_ && bitsPerPixel_ <= 8 && palette_ == source.palette_) {
                setPixelIndex(dx, dy, source.pixelIndex(sx, sy));
            } else {
                setPixelArgb(dx, dy, source.pixelArgb(sx, sy));
            }
        }
    }
}

}  // namespace mugwarp
