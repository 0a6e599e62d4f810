#include <algorithm>
#include <cctype>
#include <cstring>

#include "formats/byte_reader.h"
#include "formats/gif_image.h"
#include "formats/gif_lzw.h"
#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kApplicationLabel = 0xFF;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr int kMaxRepeatCount = 30000;

bool equalsIgnoringCase(const std::uint8_t* bytes, const char* text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(bytes[i]) != std::tolower(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

// The next non-zero byte, or 0 at the end of the data.
std::uint8_t nextBlockByte(ByteReader& in) {
    while (!in.atEnd()) {
        const std::uint8_t b = in.u8();
        if (b != 0) return b;
    }
    return 0;
}

std::vector<std::string> readSubBlocks(ByteReader& in) {
    std::vector<std::string> lines;
    while (!in.atEnd()) {
        const std::size_t n = in.u8();
        if (n == 0) break;
        const std::size_t take = std::min(n, in.remaining());
        if (take > 0) lines.emplace_back(reinterpret_cast<const char*>(in.current()), take);
        in.skip(take);
    }
    return lines;
}

void readColorTable(ByteReader& in, GifColorTable& table, int bits, bool strict) {
    table.count = 1 << bits;
    for (int i = 0; i < table.count; ++i) {
        if (strict) in.read(table.rgb[i].data(), 3);
        else in.readLenient(table.rgb[i].data(), 3);
    }
}

struct ExtensionResult {
    GifExtension extension;
    bool known = true;
    bool loop = false;
    int repeatCount = 0;
};

ExtensionResult readExtension(ByteReader& in) {
    ExtensionResult r;
    const std::uint8_t label = in.u8Lenient();
    GifExtension& ext = r.extension;
    switch (label) {
        case kGraphicControlLabel:
            ext.kind = GifExtensionKind::GraphicControl;
            ext.fixed.resize(6);
            in.readLenient(ext.fixed.data(), 6);
            break;
        case kCommentLabel:
            ext.kind = GifExtensionKind::Comment;
            ext.lines = readSubBlocks(in);
            break;
        case kPlainTextLabel:
            ext.kind = GifExtensionKind::PlainText;
            ext.fixed.resize(13);
            in.readLenient(ext.fixed.data(), 13);
            ext.lines = readSubBlocks(in);
            break;
        case kApplicationLabel: {
            ext.kind = GifExtensionKind::Application;
            ext.fixed.resize(12);
            in.readLenient(ext.fixed.data(), 12);
            ext.lines = readSubBlocks(in);
            const std::size_t idLength = std::min<std::size_t>(ext.fixed[0], 11);
            const bool loopId = std::memcmp(&ext.fixed[1], "NETSCAPE2.0", idLength) == 0 ||
                                std::memcmp(&ext.fixed[1], "ANIMEXTS1.0", idLength) == 0;
            if (loopId && !ext.lines.empty() && ext.lines[0].size() >= 3 && ext.lines[0][0] == 1) {
                r.loop = true;
                const auto& s = ext.lines[0];
                r.repeatCount = std::min(kMaxRepeatCount, int(std::uint8_t(s[1]) | (std::uint8_t(s[2]) << 8)));
            }
            break;
        }
        default:
            // Every extension is a label and sub-blocks, so one we do not
            // know can be passed over like other readers do.
            r.known = false;
            readSubBlocks(in);
            break;
    }
    return r;
}

void readFrame(ByteReader& in, GifImage& image, GifFrame& frame) {
    frame.left = in.u16();
    frame.top = in.u16();
    frame.width = in.u16();
    frame.height = in.u16();
    frame.packed = in.u8();
    frame.interlaced = (frame.packed & 0x40) != 0;
    if (frame.packed & 0x80) {
        frame.bitsPerPixel = (frame.packed & 7) + 1;
        frame.localTable = true;
        readColorTable(in, frame.colors, frame.bitsPerPixel, true);
    } else {
        frame.localTable = false;
    }

    frame.raster.push_back(in.u8());
    while (!in.atEnd()) {
        const std::size_t n = in.u8();
        if (n > in.remaining()) {
            // A cut file: keep what there is of the sub-block for the decoder
            // and close the raster so that it stays well-formed.
            frame.corrupted = true;
            const std::size_t present = in.remaining();
            frame.raster.push_back(std::uint8_t(present));
            frame.raster.insert(frame.raster.end(), in.current(), in.current() + present);
            frame.raster.push_back(0);
            in.seek(in.size());
            break;
        }
        frame.raster.push_back(std::uint8_t(n));
        frame.raster.insert(frame.raster.end(), in.current(), in.current() + n);
        in.skip(n);
        if (n == 0) break;
    }

    if (frame.width == 0) frame.width = image.screenWidth;
    if (frame.height == 0) frame.height = image.screenHeight;
    if (!frame.localTable) frame.colors = image.globalColors;

    for (const GifExtension& ext : frame.extensions) {
        if (ext.kind != GifExtensionKind::GraphicControl) continue;
        const std::uint8_t packed = ext.fixed[1];
        const int delay = ext.fixed[2] | (ext.fixed[3] << 8);
        const int index = ext.fixed[4];
        if (packed & 1) {
            if (index < frame.colors.count) frame.transparentColor = frame.colors.color(index);
        } else {
            frame.transparentColor = kGifNoColor;
        }
        frame.delay = std::max(delay * 10, frame.delay);
        frame.disposal = (packed >> 2) & 7;
    }
}

PlatformBitmap decodeFrame(const GifFrame& frame, bool& corrupted) {
    int depth;
    if (frame.bitsPerPixel == 1) depth = 1;
    else if (frame.bitsPerPixel >= 2 && frame.bitsPerPixel <= 4) depth = 4;
    else if (frame.bitsPerPixel >= 5 && frame.bitsPerPixel <= 8) depth = 8;
    else throw Error("Wrong number of colors; must be a power of 2");
    checkPictureSize(frame.width, frame.height, "GIF image");

    PlatformBitmap bitmap(frame.width, frame.height, depth);
    const int entries = 1 << depth;
    const int fromTable = (frame.colors.count == 0 || frame.colors.count == 256) ? 256 : frame.colors.count;
    auto& palette = bitmap.palette();
    palette.assign(std::size_t(entries), PaletteEntry{128, 128, 128, 0});
    for (int i = 0; i < std::min(entries, fromTable); ++i)
        palette[std::size_t(i)] = PaletteEntry{frame.colors.rgb[i][2], frame.colors.rgb[i][1], frame.colors.rgb[i][0], 0};
    if (!decodeLzw(frame.raster, bitmap, frame.bitsPerPixel, frame.interlaced)) corrupted = true;
    return bitmap;
}

}  // namespace

int gifBitsForCount(int count) {
    for (int bits = 1; bits <= 8; ++bits)
        if ((1 << bits) == count) return bits;
    return 0;
}

void GifImage::load(std::span<const std::uint8_t> data) {
    clear();
    ByteReader in(data);

    std::uint8_t header[6];
    in.readLenient(header, 6);
    if (!equalsIgnoringCase(header, "GIF", 3)) throw Error("Unknown GIF version");
    if (equalsIgnoringCase(header + 3, "87a", 3)) version = 1;
    else if (equalsIgnoringCase(header + 3, "89a", 3)) version = 2;
    else throw Error("Unknown GIF version");

    std::uint8_t screen[7];
    in.readLenient(screen, 7);
    screenWidth = screen[0] | (screen[1] << 8);
    screenHeight = screen[2] | (screen[3] << 8);
    const std::uint8_t packed = screen[4];
    bitsPerPixel = (packed & 7) + 1;
    colorResolution = ((packed >> 4) & 7) + 1;
    aspectRatio = screen[6];
    if (packed & 0x80) {
        readColorTable(in, globalColors, bitsPerPixel, false);
        if (screen[5] < globalColors.count) background = globalColors.color(screen[5]);
    }

    std::uint8_t block = nextBlockByte(in);
    std::vector<GifExtension> gathered;
    while (block != 0 && block != ';' && !in.atEnd()) {
        while (block == '!') {
            ExtensionResult r = readExtension(in);
            if (r.known) {
                switch (r.extension.kind) {
                    case GifExtensionKind::PlainText:
                        gathered.clear();
                        break;
                    case GifExtensionKind::Application:
                        if (r.loop) {
                            looping = true;
                            repeatCount = r.repeatCount;
                        }
                        break;
                    default:
                        gathered.push_back(std::move(r.extension));
                        break;
                }
            }
            block = in.atEnd() ? ';' : nextBlockByte(in);
        }
        if (block == ',') {
            GifFrame frame;
            if (globalColors.count > 0) {
                frame.bitsPerPixel = gifBitsForCount(globalColors.count);
                if (frame.bitsPerPixel == 0) throw Error("Wrong number of colors; must be a power of 2");
            }
            frame.extensions = std::move(gathered);
            gathered.clear();
            readFrame(in, *this, frame);
            frames.push_back(std::move(frame));
            if (in.atEnd()) {
                block = ';';
            } else {
                block = nextBlockByte(in);
                if (block != '!' && block != ',' && block != ';') block = 0;
            }
        } else {
            // Extensions not followed by an image: comments of the whole file.
            if (!comment.empty() || gathered.empty()) {
                if (block != 0 && block != ';') throw Error("Stream read error");
            } else {
                for (const GifExtension& ext : gathered) {
                    if (ext.kind != GifExtensionKind::Comment) continue;
                    if (!comment.empty()) comment.emplace_back("\r\n\r\n");
                    comment.insert(comment.end(), ext.lines.begin(), ext.lines.end());
                }
            }
            gathered.clear();
        }
    }

    if (!frames.empty()) {
        frameIndex = 0;
        try {
            frameBitmap(0);
        } catch (...) {
            frames.erase(frames.begin());
            frameIndex = frames.empty() ? -1 : 0;
            throw;
        }
    }
}

const PlatformBitmap& GifImage::frameBitmap(std::size_t index) {
    GifFrame& frame = frames.at(index);
    if (!frame.bitmap) {
        if (frame.raster.empty()) {
            frame.bitmap.emplace();
        } else {
            bool damaged = false;
            frame.bitmap = decodeFrame(frame, damaged);
            if (damaged) frame.corrupted = true;
        }
    }
    return *frame.bitmap;
}

int GifImage::width() const {
    if (frameIndex < 0 || std::size_t(frameIndex) >= frames.size()) return 0;
    const GifFrame& f = frames[std::size_t(frameIndex)];
    return f.bitmap ? f.bitmap->width() : f.width;
}

int GifImage::height() const {
    if (frameIndex < 0 || std::size_t(frameIndex) >= frames.size()) return 0;
    const GifFrame& f = frames[std::size_t(frameIndex)];
    return f.bitmap ? f.bitmap->height() : f.height;
}

}  // namespace mugwarp
