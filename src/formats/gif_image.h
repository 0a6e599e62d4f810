#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "raster/color.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// The "none" colour of GIF keys and backgrounds.
constexpr PlatformColor kGifNoColor = 0x1FFFFFFF;

struct GifColorTable {
    int count = 0;  // 0 to 256; entries beyond it are zero
    std::array<std::array<std::uint8_t, 3>, 256> rgb{};

    PlatformColor color(int i) const {
        return PlatformColor(rgb[i][0]) | (PlatformColor(rgb[i][1]) << 8) | (PlatformColor(rgb[i][2]) << 16);
    }
};

enum class GifExtensionKind { GraphicControl = 0, PlainText = 1, Application = 2, Comment = 3 };

struct GifExtension {
    GifExtensionKind kind = GifExtensionKind::Comment;
    std::vector<std::uint8_t> fixed;  // the block bytes after the label (up to 13)
    std::vector<std::string> lines;   // one per data sub-block
};

struct GifFrame {
    std::vector<std::uint8_t> raster;  // code size byte, sub-blocks, terminator, as in the file
    GifColorTable colors;
    int bitsPerPixel = 8;  // without any colour table a frame decodes as 8-bit, all black
    int width = 0;
    int height = 0;
    std::uint8_t packed = 0;
    int left = 0;
    int top = 0;
    bool interlaced = false;
    bool localTable = false;
    PlatformColor transparentColor = kGifNoColor;
    int delay = 0;  // milliseconds
    int disposal = 0;
    bool greyscale = false;
    bool corrupted = false;
    std::vector<GifExtension> extensions;
    std::optional<PlatformBitmap> bitmap;
};

// A GIF87a or GIF89a picture: frames keep their compressed raster and decode
// to an indexed bitmap on demand.
class GifImage {
public:
    int version = 0;  // 0 none, 1 "87a", 2 "89a"
    PlatformColor background = kGifNoColor;
    int repeatCount = 1;
    bool looping = false;
    bool corrupted = false;
    int frameIndex = -1;
    std::vector<GifFrame> frames;
    int screenWidth = 0;
    int screenHeight = 0;
    GifColorTable globalColors;
    int bitsPerPixel = 1;
    int colorResolution = 1;
    std::uint8_t aspectRatio = 0;
    std::vector<std::string> comment;
    bool transparent = true;

    void clear() { *this = GifImage(); }

    // Replaces the whole image with the GIF in data; frame 0 is decoded at once.
    void load(std::span<const std::uint8_t> data);

    // The frame's indexed bitmap, decoded on first use.
    const PlatformBitmap& frameBitmap(std::size_t index);

    // Size of the current frame's bitmap; 0 when empty.
    int width() const;
    int height() const;

    // The colour the frame's graphic control names, or kGifNoColor.
    PlatformColor transparentColor(std::size_t index) const { return frames.at(index).transparentColor; }

    // Writing (gif_writer.cpp).
    void addFrameFromBitmap(const PlatformBitmap& bitmap);
    void setFrameTransparency(std::size_t index, PlatformColor color);
    std::vector<std::uint8_t> store();

private:
    void encodeFrame(GifFrame& frame);
    void updateControlExtension(GifFrame& frame);
};

// The b in 1 to 8 with 2^b == count; 0 for a count that is not 2, 4, ..., 256.
int gifBitsForCount(int count);

}  // namespace mugwarp
