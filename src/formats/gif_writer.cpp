#include <algorithm>

#include "formats/color_reduction.h"
#include "formats/gif_image.h"
#include "formats/gif_lzw.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

void put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void putSubBlocks(std::vector<std::uint8_t>& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const std::size_t n = std::min<std::size_t>(line.size(), 255);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), line.begin(), line.begin() + std::ptrdiff_t(n));
    }
    out.push_back(0);
}

void putTable(std::vector<std::uint8_t>& out, const GifColorTable& table, int entries) {
    for (int i = 0; i < entries; ++i) out.insert(out.end(), table.rgb[i].begin(), table.rgb[i].end());
}

int bitsCovering(int count) {
    int b = 1;
    while ((1 << b) < count) ++b;
    return b;
}

std::uint8_t labelOf(GifExtensionKind kind) {
    switch (kind) {
        case GifExtensionKind::GraphicControl: return 0xF9;
        case GifExtensionKind::PlainText: return 0x01;
        case GifExtensionKind::Application: return 0xFF;
        default: return 0xFE;
    }
}

}  // namespace

void GifImage::addFrameFromBitmap(const PlatformBitmap& bitmap) {
    GifFrame frame;
    frame.bitmap = bitmap;
    if (bitmap.transparent()) frame.transparentColor = bitmap.transparentColor();
    frames.push_back(std::move(frame));
    frameIndex = int(frames.size()) - 1;
    if (version == 0) version = 1;
    if (frames.size() > 1) version = 2;
}

void GifImage::setFrameTransparency(std::size_t index, PlatformColor color) {
    GifFrame& frame = frames.at(index);
    if (frame.transparentColor == color) return;
    frame.transparentColor = color;
    if (color != kGifNoColor) version = 2;
}

void GifImage::encodeFrame(GifFrame& frame) {
    if (!frame.bitmap || frame.bitmap->isEmpty()) throw Error("No GIF Data to write");
    const PlatformBitmap* indexed = &*frame.bitmap;
    PlatformBitmap reduced;
    const int depth = indexed->bitsPerPixel();
    if (depth != 1 && depth != 4 && depth != 8) {
        reduced = reduceColors(*indexed);
        indexed = &reduced;
    }
    const int colorCount = 1 << indexed->bitsPerPixel();
    const auto& palette = indexed->palette();
    frame.colors = GifColorTable{};
    frame.colors.count = std::min(256, colorCount);
    for (int i = 0; i < frame.colors.count && std::size_t(i) < palette.size(); ++i)
        frame.colors.rgb[i] = {palette[std::size_t(i)].red, palette[std::size_t(i)].green, palette[std::size_t(i)].blue};
    frame.interlaced = false;
    frame.raster = encodeLzw(*indexed, false);
    frame.bitsPerPixel = bitsCovering(frame.colors.count);
    if (globalColors.count == 0) {
        globalColors = frame.colors;
        bitsPerPixel = frame.bitsPerPixel;
        frame.localTable = false;
    } else {
        // Frames that share the first one's colours need no table of their own.
        frame.localTable = frame.colors.count != globalColors.count || frame.colors.rgb != globalColors.rgb;
    }
    frame.width = indexed->width();
    frame.height = indexed->height();
    screenWidth = std::max(screenWidth, frame.left + frame.width);
    screenHeight = std::max(screenHeight, frame.top + frame.height);
}

void GifImage::updateControlExtension(GifFrame& frame) {
    auto isControl = [](const GifExtension& e) { return e.kind == GifExtensionKind::GraphicControl; };
    auto control = std::find_if(frame.extensions.begin(), frame.extensions.end(), isControl);
    if (control == frame.extensions.end() &&
        (frame.delay != 0 || frame.transparentColor != kGifNoColor || frame.disposal != 0)) {
        GifExtension gce;
        gce.kind = GifExtensionKind::GraphicControl;
        gce.fixed = {4, 0, 0, 0, 0, 0};
        frame.extensions.push_back(std::move(gce));
    }
    for (GifExtension& ext : frame.extensions) {
        if (!isControl(ext)) continue;
        ext.fixed.resize(6);
        const int delay = frame.delay / 10;
        ext.fixed[2] = std::uint8_t(delay);
        ext.fixed[3] = std::uint8_t(delay >> 8);
        int index = -1;
        if (frame.transparentColor != kGifNoColor) {
            for (int i = 0; i < frame.colors.count; ++i) {
                if (frame.colors.color(i) == (frame.transparentColor & 0xFFFFFF)) {
                    index = i;
                    break;
                }
            }
        }
        std::uint8_t packed = ext.fixed[1];
        if (index >= 0) {
            ext.fixed[4] = std::uint8_t(index);
            packed |= 1;
        } else {
            packed &= std::uint8_t(~1);
        }
        packed = std::uint8_t((packed & ~0x1C) | ((frame.disposal & 7) << 2));
        ext.fixed[1] = packed;
    }
    std::erase_if(frame.extensions,
                  [](const GifExtension& e) { return e.kind == GifExtensionKind::Comment && e.lines.empty(); });
    if (!frame.extensions.empty()) version = 2;
}

std::vector<std::uint8_t> GifImage::store() {
    if (frames.empty()) throw Error("No GIF Data to write");
    for (GifFrame& frame : frames)
        if (frame.raster.empty()) encodeFrame(frame);
    for (GifFrame& frame : frames) updateControlExtension(frame);
    if (!comment.empty()) version = 2;

    std::vector<std::uint8_t> out;
    std::size_t rasterBytes = 0;
    for (const GifFrame& frame : frames) rasterBytes += frame.raster.size();
    out.reserve(rasterBytes + 1024 + frames.size() * 800);
    const char* header = version == 2 ? "GIF89a" : "GIF87a";
    for (int i = 0; i < 6; ++i) out.push_back(std::uint8_t(header[i]));

    int width = 0, height = 0;
    for (const GifFrame& frame : frames) {
        width = std::max(width, frame.left + frame.width);
        height = std::max(height, frame.top + frame.height);
    }
    screenWidth = width;
    screenHeight = height;
    put16(out, width);
    put16(out, height);
    if (globalColors.count > 0) {
        const int c = gifBitsForCount(globalColors.count);
        if (c == 0) throw Error("Wrong number of colors; must be a power of 2");
        out.push_back(std::uint8_t(0x80 + (c - 1) * 16 + (bitsPerPixel - 1)));
        int backgroundIndex = 0;
        if (background != kGifNoColor) {
            for (int i = 0; i < globalColors.count; ++i) {
                if (globalColors.color(i) == background) {
                    backgroundIndex = i;
                    break;
                }
            }
        }
        out.push_back(std::uint8_t(backgroundIndex));
    } else {
        out.push_back(0);
        out.push_back(0);
    }
    out.push_back(aspectRatio);
    putTable(out, globalColors, globalColors.count);

    if (looping && frames.size() > 1) {
        const std::uint8_t loop[] = {'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                     3,   1,    std::uint8_t(repeatCount), std::uint8_t(repeatCount >> 8), 0};
        out.insert(out.end(), std::begin(loop), std::end(loop));
    }

    for (const GifFrame& frame : frames) {
        for (const GifExtension& ext : frame.extensions) {
            out.push_back('!');
            out.push_back(labelOf(ext.kind));
            out.insert(out.end(), ext.fixed.begin(), ext.fixed.end());
            if (ext.kind != GifExtensionKind::GraphicControl) putSubBlocks(out, ext.lines);
        }
        out.push_back(',');
        put16(out, frame.left);
        put16(out, frame.top);
        put16(out, frame.width);
        put16(out, frame.height);
        std::uint8_t packed = 0;
        const int localBits = bitsCovering(frame.colors.count);
        if (frame.localTable) packed = std::uint8_t(0x80 + (localBits - 1));
        if (frame.interlaced) packed |= 0x40;
        out.push_back(packed);
        // A local table must fill its 2^b entries for the raster to follow where readers expect it.
        if (frame.localTable) putTable(out, frame.colors, 1 << localBits);
        out.insert(out.end(), frame.raster.begin(), frame.raster.end());
    }

    if (!comment.empty()) {
        out.push_back('!');
        out.push_back(0xFE);
        putSubBlocks(out, comment);
    }
    out.push_back(';');
    return out;
}

}  // namespace mugwarp
