#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/gif_lzw.h"
#include "raster/platform_bitmap.h"

namespace mugwarp::test {

// Assembles GIF files block by block for tests of the reader.
class GifBuilder {
public:
    explicit GifBuilder(const std::string& signature = "GIF89a") : bytes(signature.begin(), signature.end()) {}

    GifBuilder& screen(int width, int height, int tableBits, std::uint8_t background = 0) {
        put16(width);
        put16(height);
        bytes.push_back(std::uint8_t(tableBits > 0 ? 0x80 | 0x70 | (tableBits - 1) : 0));
        bytes.push_back(background);
        bytes.push_back(0);
        if (tableBits > 0) table(tableBits);
        return *this;
    }
    // Entry i is (i*40 % 256, i*90 % 256, i*150 % 256)+1 so that entries differ.
    GifBuilder& table(int bits) {
        for (int i = 0; i < (1 << bits); ++i) {
            bytes.push_back(std::uint8_t(i * 40 + 1));
            bytes.push_back(std::uint8_t(i * 90 + 1));
            bytes.push_back(std::uint8_t(i * 150 + 1));
        }
        return *this;
    }
    static std::uint32_t entryColor(int i) {  // as a platform colour
        return std::uint32_t(std::uint8_t(i * 40 + 1)) | (std::uint32_t(std::uint8_t(i * 90 + 1)) << 8) |
               (std::uint32_t(std::uint8_t(i * 150 + 1)) << 16);
    }
    GifBuilder& control(std::uint8_t packed, int delay, std::uint8_t index) {
        const std::uint8_t b[] = {'!', 0xF9, 4, packed, std::uint8_t(delay), std::uint8_t(delay >> 8), index, 0};
        bytes.insert(bytes.end(), std::begin(b), std::end(b));
        return *this;
    }
    GifBuilder& comment(const std::vector<std::string>& lines) {
        bytes.push_back('!');
        bytes.push_back(0xFE);
        for (const auto& l : lines) {
            bytes.push_back(std::uint8_t(l.size()));
            bytes.insert(bytes.end(), l.begin(), l.end());
        }
        bytes.push_back(0);
        return *this;
    }
    GifBuilder& application(const char* id11, const std::vector<std::uint8_t>& block) {
        bytes.push_back('!');
        bytes.push_back(0xFF);
        bytes.push_back(11);
        bytes.insert(bytes.end(), id11, id11 + 11);
        bytes.push_back(std::uint8_t(block.size()));
        bytes.insert(bytes.end(), block.begin(), block.end());
        bytes.push_back(0);
        return *this;
    }
    // An image descriptor and raster for an indexed bitmap (1, 4 or 8 bits).
    GifBuilder& image(const PlatformBitmap& indexed, int localTableBits = 0, bool interlaced = false,
                      int width = -1, int height = -1) {
        bytes.push_back(',');
        put16(0);
        put16(0);
        put16(width < 0 ? indexed.width() : width);
        put16(height < 0 ? indexed.height() : height);
        std::uint8_t packed = 0;
        if (localTableBits > 0) packed = std::uint8_t(0x80 | (localTableBits - 1));
        if (interlaced) packed |= 0x40;
        bytes.push_back(packed);
        if (localTableBits > 0) table(localTableBits);
        const auto raster = encodeLzw(indexed, interlaced);
        bytes.insert(bytes.end(), raster.begin(), raster.end());
        return *this;
    }
    // An image descriptor without a local table, followed by a raster as given.
    GifBuilder& imageRaster(int width, int height, const std::vector<std::uint8_t>& raster) {
        bytes.push_back(',');
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        bytes.push_back(0);
        return raw(raster);
    }
    GifBuilder& raw(const std::vector<std::uint8_t>& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    GifBuilder& trailer() {
        bytes.push_back(';');
        return *this;
    }

    std::vector<std::uint8_t> bytes;

private:
    void put16(int v) {
        bytes.push_back(std::uint8_t(v));
        bytes.push_back(std::uint8_t(v >> 8));
    }
};

// Packs LZW codes least-significant bit first into a raster (code size byte,
// sub-blocks, terminator). Codes widen as a decoder's table grows: every code
// except the first after the start or a clear adds one entry.
inline std::vector<std::uint8_t> lzwRaster(int minSize, const std::vector<int>& codes) {
    const int clear = 1 << minSize;
    int width = minSize + 1;
    int nextFree = clear + 2;
    bool fresh = true;
    std::vector<std::uint8_t> data;
    std::uint32_t acc = 0;
    int bits = 0;
    for (int code : codes) {
        acc |= std::uint32_t(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8) data.push_back(std::uint8_t(acc));
        if (code == clear) {
            width = minSize + 1;
            nextFree = clear + 2;
            fresh = true;
        } else if (fresh) {
            fresh = false;
        } else if (nextFree < 4096 && ++nextFree == (1 << width) && width < 12) {
            ++width;
        }
    }
    if (bits > 0) data.push_back(std::uint8_t(acc));
    std::vector<std::uint8_t> raster{std::uint8_t(minSize)};
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        raster.push_back(std::uint8_t(n));
        raster.insert(raster.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    raster.push_back(0);
    return raster;
}

// An 8-bit indexed bitmap whose pixel (x, y) is f(x, y).
template <typename F>
PlatformBitmap indexedBitmap(int width, int height, int depth, F f) {
    PlatformBitmap b(width, height, depth);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.setPixelIndex(x, y, f(x, y));
    return b;
}

}  // namespace mugwarp::test
