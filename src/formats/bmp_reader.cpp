#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

#include "formats/bmp_codec.h"
#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kJpeg = 4, kPng = 5, kAlphaBitFields = 6;
constexpr std::uint32_t kOpaque = 0xFF000000u;

[[noreturn]] void invalid(const char* why) { throw Error(std::string("Bitmap image is not valid (") + why + ")"); }

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

void store(std::uint8_t* out, std::uint32_t argb) { std::memcpy(out, &argb, 4); }

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
class Channel {
public:
    explicit Channel(std::uint32_t mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        const std::uint32_t field = mask >> shift_;
        bits_ = std::bit_width(field);
        mask_ = mask;
        if (bits_ <= 8) {
            // Narrow fields widen by repeating their bits (5-bit 0b10110 -> 0b10110101),
            // as the other readers of these files do: 0 stays 0, all ones become 255.
            const std::uint32_t max = (std::uint32_t(1) << bits_) - 1;
            for (std::uint32_t v = 0; v <= max; ++v) {
                std::uint32_t wide = 0;
                for (int shift = 8 - bits_; shift > -bits_; shift -= bits_)
                    wide |= shift >= 0 ? v << shift : v >> -shift;
                table_[v] = std::uint8_t(wide);
            }
        }
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask_) >> shift_;
        return bits_ <= 8 ? table_[v & 0xFF] : std::uint8_t(v >> (bits_ - 8));
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
    std::array<std::uint8_t, 256> table_{};
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top-down
    int bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::uint32_t alphaMask = 0;
    bool hasMasks = false;
    std::size_t paletteStart = 0;
    std::size_t paletteEntrySize = 4;
};

Header readHeader(std::span<const std::uint8_t> file) {
    if (file.size() < 18 || file[0] != 'B' || file[1] != 'M') invalid("no bitmap file header");
    const std::uint32_t headerSize = le32(&file[14]);
    if (headerSize < 12 || headerSize > file.size() - 14) invalid("bad header size");
    const std::uint8_t* h = &file[14];
    Header hd;
    if (headerSize == 12) {
        hd.width = le16(h + 4);
        hd.height = le16(h + 6);
        hd.bitsPerPixel = le16(h + 10);
        hd.paletteEntrySize = 3;
        hd.paletteStart = 14 + 12;
        return hd;
    }
    if (headerSize < 16) invalid("bad header size");
    // Short OS/2 2.x headers leave the later fields out; they count as zero.
    std::array<std::uint8_t, 56> fields{};
    std::memcpy(fields.data(), h, std::min<std::size_t>(headerSize, fields.size()));
    const std::uint8_t* f = fields.data();
    hd.width = static_cast<std::int32_t>(le32(f + 4));
    hd.height = static_cast<std::int32_t>(le32(f + 8));
    hd.bitsPerPixel = le16(f + 14);
    hd.compression = le32(f + 16);
    hd.colorsUsed = le32(f + 32);
    const bool os2 = headerSize < 40 || headerSize == 64;
    if (os2 && hd.compression > kRle4) invalid("unsupported OS/2 compression");
    hd.paletteStart = 14 + std::size_t(headerSize);
    if (hd.compression == kBitFields || hd.compression == kAlphaBitFields) {
        hd.hasMasks = true;
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) hd.masks[i] = le32(f + 40 + 4 * i);
            if (headerSize >= 56) hd.alphaMask = le32(f + 52);
        } else {
            // A plain info header is followed by the masks.
            const std::size_t maskBytes = hd.compression == kAlphaBitFields ? 16 : 12;
            if (file.size() < hd.paletteStart + maskBytes) invalid("truncated colour masks");
            for (int i = 0; i < 3; ++i) hd.masks[i] = le32(&file[hd.paletteStart + 4 * i]);
            if (maskBytes == 16) hd.alphaMask = le32(&file[hd.paletteStart + 12]);
            hd.paletteStart += maskBytes;
        }
    }
    return hd;
}

void validate(const Header& hd) {
    switch (hd.bitsPerPixel) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: invalid("unsupported bits per pixel");
    }
    switch (hd.compression) {
        case kRgb: break;
        case kRle8: if (hd.bitsPerPixel != 8) invalid("RLE8 needs 8 bits per pixel"); break;
        case kRle4: if (hd.bitsPerPixel != 4) invalid("RLE4 needs 4 bits per pixel"); break;
        case kBitFields:
        case kAlphaBitFields:
            if (hd.bitsPerPixel != 16 && hd.bitsPerPixel != 32) invalid("bit fields need 16 or 32 bits per pixel");
            break;
        case kJpeg:
        case kPng: invalid("embedded JPEG or PNG data is not supported");
        default: invalid("unknown compression");
    }
    if (hd.width <= 0 || hd.height == 0) invalid("empty picture");
    if (hd.height < 0 && (hd.compression == kRle4 || hd.compression == kRle8)) invalid("top-down RLE picture");
    checkPictureSize(hd.width, hd.height < 0 ? -hd.height : hd.height, "Bitmap image");
}

// Palette as opaque ARGB words; indices beyond a short palette read black.
std::array<std::uint32_t, 256> readPalette(std::span<const std::uint8_t> file, const Header& hd, std::size_t offBits) {
    std::array<std::uint32_t, 256> lut;
    lut.fill(kOpaque);
    if (hd.bitsPerPixel > 8) return lut;
    std::size_t entries = std::size_t(1) << hd.bitsPerPixel;
    if (hd.colorsUsed != 0 && hd.colorsUsed < entries) entries = hd.colorsUsed;
    const std::size_t room = offBits > hd.paletteStart ? (offBits - hd.paletteStart) / hd.paletteEntrySize : 0;
    entries = std::min(entries, room);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* p = &file[hd.paletteStart + i * hd.paletteEntrySize];
        lut[i] = kOpaque | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }
    return lut;
}

void convertIndexedRow(const std::uint8_t* src, std::uint8_t* out, int width, int bits,
                       const std::array<std::uint32_t, 256>& lut) {
    switch (bits) {
        case 8:
            for (int x = 0; x < width; ++x) store(out + 4 * x, lut[src[x]]);
            break;
        case 4:
            for (int x = 0; x < width; ++x) store(out + 4 * x, lut[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F]);
            break;
        default:
            for (int x = 0; x < width; ++x) store(out + 4 * x, lut[(src[x >> 3] >> (7 - (x & 7))) & 1]);
            break;
    }
}

PlatformBitmap decodeUncompressed(std::span<const std::uint8_t> pixels, const Header& hd,
                                  const std::array<std::uint32_t, 256>& lut) {
    const int width = static_cast<int>(hd.width);
    const int height = static_cast<int>(hd.height < 0 ? -hd.height : hd.height);
    const std::size_t rowBytes = (std::size_t(width) * hd.bitsPerPixel + 7) / 8;
    const std::size_t stride = (rowBytes + 3) & ~std::size_t(3);
    // The padding of the last row may be missing; its pixels may not.
    if (pixels.size() < stride * (height - 1) + rowBytes) invalid("truncated pixel data");

    std::uint32_t defaultMasks[3] = {0x7C00, 0x03E0, 0x001F};
    if (hd.bitsPerPixel == 32) {
        defaultMasks[0] = 0xFF0000;
        defaultMasks[1] = 0x00FF00;
        defaultMasks[2] = 0x0000FF;
    }
    const std::uint32_t* masks = hd.hasMasks ? hd.masks : defaultMasks;
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(hd.alphaMask);
    // 32-bit pixels carry alpha in their fourth byte (or the alpha mask), as
    // our own writer stores erased areas. Many writers leave that byte 0 for
    // every pixel; such a picture is meant opaque.
    const bool withAlpha = hd.bitsPerPixel == 32 && (!hd.hasMasks || hd.alphaMask != 0);
    std::uint8_t alphaSeen = 0;

    PlatformBitmap out(width, height, 32);
    for (int y = 0; y < height; ++y) {
        const int fileRow = hd.height < 0 ? y : height - 1 - y;
        const std::uint8_t* src = pixels.data() + std::size_t(fileRow) * stride;
        std::uint8_t* dst = out.scanLine(y);
        switch (hd.bitsPerPixel) {
            case 1: case 4: case 8:
                convertIndexedRow(src, dst, width, hd.bitsPerPixel, lut);
                break;
            case 24:
                for (int x = 0; x < width; ++x, src += 3, dst += 4) {
                    dst[0] = src[0];
                    dst[1] = src[1];
                    dst[2] = src[2];
                    dst[3] = 0xFF;
                }
                break;
            case 16:
                for (int x = 0; x < width; ++x, src += 2, dst += 4) {
                    const std::uint32_t v = le16(src);
                    dst[0] = blue(v);
                    dst[1] = green(v);
                    dst[2] = red(v);
                    dst[3] = 0xFF;
                }
                break;
            default:
                if (!hd.hasMasks) {
                    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
                        dst[0] = src[0];
                        dst[1] = src[1];
                        dst[2] = src[2];
                        dst[3] = src[3];
                        alphaSeen |= src[3];
                    }
                } else {
                    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
                        const std::uint32_t v = le32(src);
                        dst[0] = blue(v);
                        dst[1] = green(v);
                        dst[2] = red(v);
                        dst[3] = withAlpha ? alpha(v) : 0xFF;
                        alphaSeen |= dst[3];
                    }
                }
                break;
        }
    }
    if (withAlpha && alphaSeen == 0) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = out.scanLine(y);
            for (int x = 0; x < width; ++x) row[4 * x + 3] = 0xFF;
        }
    }
    return out;
}

// Run-length data decoded into one index per pixel, rows bottom-up; pixels the
// data skip (by deltas or early line ends) keep index 0.
PlatformBitmap decodeRle(std::span<const std::uint8_t> data, const Header& hd,
                         const std::array<std::uint32_t, 256>& lut) {
    const int width = static_cast<int>(hd.width);
    const int height = static_cast<int>(hd.height);
    const bool four = hd.compression == kRle4;
    std::vector<std::uint8_t> indices(std::size_t(width) * height, 0);
    std::size_t pos = 0;
    std::int64_t x = 0, y = 0;
    auto put = [&](std::uint8_t v) {
        if (x < width && y < height) indices[std::size_t(y) * width + std::size_t(x)] = v;
        ++x;
    };
    bool done = false;
    while (!done && y < height) {
        if (data.size() - pos < 2) invalid("truncated RLE data");
        const std::uint8_t count = data[pos++];
        const std::uint8_t value = data[pos++];
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? std::uint8_t((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
            case 0:
                x = 0;
                ++y;
                break;
            case 1:
                done = true;
                break;
            case 2:
                if (data.size() - pos < 2) invalid("truncated RLE data");
                x += data[pos];
                y += data[pos + 1];
                pos += 2;
                break;
            default: {
                const std::size_t bytes = four ? (value + 1u) / 2 : value;
                const std::size_t padded = (bytes + 1) & ~std::size_t(1);
                if (data.size() - pos < bytes) invalid("truncated RLE data");
                for (int i = 0; i < value; ++i) {
                    const std::uint8_t b = data[pos + (four ? i / 2 : i)];
                    put(four ? std::uint8_t((i & 1) ? b & 0x0F : b >> 4) : b);
                }
                pos += std::min(padded, data.size() - pos);
                break;
            }
        }
    }
    PlatformBitmap out(width, height, 32);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = indices.data() + std::size_t(row) * width;
        std::uint8_t* dst = out.scanLine(height - 1 - row);
        for (int i = 0; i < width; ++i) store(dst + 4 * i, lut[src[i]]);
    }
    return out;
}

}  // namespace

PlatformBitmap decodeBmp(std::span<const std::uint8_t> file) {
    const Header hd = readHeader(file);
    validate(hd);
    const std::uint32_t offBits = le32(&file[10]);
    if (offBits < hd.paletteStart || offBits >= file.size()) invalid("bad pixel data offset");
    const auto lut = readPalette(file, hd, offBits);
    const auto pixels = file.subspan(offBits);
    if (hd.compression == kRle4 || hd.compression == kRle8) return decodeRle(pixels, hd, lut);
    return decodeUncompressed(pixels, hd, lut);
}

}  // namespace mugwarp
