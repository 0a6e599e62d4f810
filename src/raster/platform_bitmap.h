#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/cell_storage.h"
#include "raster/color.h"
#include "raster/geometry.h"

namespace mugwarp {

struct PaletteEntry {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// A device-independent bitmap: 1, 4, 8, 24 or 32 bits per pixel, rows stored
// bottom-up and padded to 4 bytes, a palette for the indexed depths, and an
// optional transparent key colour. 24-bit pixels are bytes blue, green, red;
// 32-bit pixels blue, green, red, alpha (so a 32-bit pixel read as a
// little-endian word is 0xAARRGGBB).
class PlatformBitmap {
public:
    PlatformBitmap() = default;
    PlatformBitmap(int width, int height, int bitsPerPixel);

    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    Rect bounds() const { return {0, 0, width_, height_}; }
    // Bytes per stored row, a multiple of 4.
    std::size_t stride() const { return stride_; }
    static std::size_t strideFor(int width, int bitsPerPixel);

    // Row y counted from the top of the picture (stored bottom-up).
    std::uint8_t* scanLine(int y) { return data_.data() + rowOffset(y); }
    const std::uint8_t* scanLine(int y) const { return data_.data() + rowOffset(y); }
    std::uint8_t* data() { return data_.data(); }
    const std::uint8_t* data() const { return data_.data(); }
    std::size_t byteSize() const { return data_.size(); }

    // Up to 2^bitsPerPixel entries for the indexed depths; may be shorter.
    std::vector<PaletteEntry>& palette() { return palette_; }
    const std::vector<PaletteEntry>& palette() const { return palette_; }

    bool transparent() const { return transparent_; }
    void setTransparent(bool on) { transparent_ = on; }
    PlatformColor transparentColor() const { return transparentColor_; }
    void setTransparentColor(PlatformColor c) { transparentColor_ = c; }

    // Reallocates with zeroed pixels; negative sizes count as 0. An indexed
    // bitmap without a palette gets the default one. Throws Error for an
    // unsupported depth or when memory cannot be had.
    void setSize(int width, int height, int bitsPerPixel);
    // Converts the pixels to another depth. Up-conversion is exact; down to an
    // indexed depth maps each pixel to the nearest palette entry.
    void setBitsPerPixel(int bitsPerPixel);

    // The colour of a pixel as 0xAARRGGBB (alpha 255 for depths without alpha;
    // an index past the palette's end reads as black).
    Argb pixelArgb(int x, int y) const;
    // Stores a colour: alpha only at 32 bits, nearest palette entry for the
    // indexed depths.
    void setPixelArgb(int x, int y, Argb color);
    // Raw palette index of an indexed pixel (0 at 24 and 32 bits).
    int pixelIndex(int x, int y) const;
    void setPixelIndex(int x, int y, int index);

    // Draws an indexed (or any) bitmap into this 32-bit bitmap at (x, y), alpha
    // 255, clipped. Every pixel is drawn, the key colour included, so that a
    // keyed picture can be turned into real transparency afterwards.
    void drawBitmap(const PlatformBitmap& source, int x, int y);
    // Colour-on-colour stretch of source onto dst rectangle (nearest, deleting
    // rows and columns when shrinking), as a window canvas stretch does.
    void stretchDraw(const Rect& dst, const PlatformBitmap& source);
    // Copies a rectangle of source to (x, y) of this bitmap, clipped to both.
    // Indexed pixels of the same depth and palette are copied as indices; any
    // other pair goes through the colour.
    void copyRect(int x, int y, const PlatformBitmap& source, const Rect& sourceRect);

private:
    std::size_t rowOffset(int y) const { return static_cast<std::size_t>(height_ - 1 - y) * stride_; }

    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 32;
    std::size_t stride_ = 0;
    PictureCells<std::uint8_t> data_;
    std::vector<PaletteEntry> palette_;
    bool transparent_ = false;
    PlatformColor transparentColor_ = 0;
};

}  // namespace mugwarp
