#include "formats/color_reduction.h"

#include <array>
#include <cstring>
#include <memory>

#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kSlots = 5191;
constexpr int kMaxEntries = 2049;
constexpr std::uint16_t kEmpty = 0xFFFF;

struct Entry {
    std::uint8_t blue, green, red;
    std::uint8_t index;
    std::uint32_t count;
};

// Hashed popularity counts of the masked colours. Fixed size: the table's
// bound of 2049 colours is what drives the masking.
class Histogram {
public:
    std::uint8_t redMask = 0xFF, greenMask = 0xFF, blueMask = 0xFF;
    int entryCount = 0;
    std::array<Entry, kMaxEntries> entries;

    void reset() {
        entryCount = 0;
        slots_.fill(kEmpty);
    }

    // The entry of a colour (adding it when new); -1 when the table is full.
    int find(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool add) {
        r &= redMask;
        g &= greenMask;
        b &= blueMask;
        int slot = int((std::uint32_t(r + g) * std::uint32_t(b + g) * std::uint32_t(r + b)) % kSlots);
        for (;;) {
            const std::uint16_t e = slots_[std::size_t(slot)];
            if (e == kEmpty) break;
            const Entry& en = entries[e];
            if (en.red == r && en.green == g && en.blue == b) return e;
            if (++slot == kSlots) slot = 0;
        }
        if (!add || entryCount == kMaxEntries) return -1;
        entries[std::size_t(entryCount)] = Entry{b, g, r, 0, 0};
        slots_[std::size_t(slot)] = std::uint16_t(entryCount);
        return entryCount++;
    }

    void dropOneBit() {
        auto drop = [](std::uint8_t& m) { m = std::uint8_t(m << 1); };
        if (greenMask > redMask) drop(greenMask);
        else if (redMask > blueMask) drop(redMask);
        else drop(blueMask);
    }

private:
    std::array<std::uint16_t, kSlots> slots_;
};

// Channel bytes of pixel x of a 24- or 32-bit row.
struct PixelBytes {
    int step;
    const std::uint8_t* at(const std::uint8_t* row, int x) const { return row + std::size_t(x) * step; }
};

bool fill(Histogram& h, const PlatformBitmap& picture, PixelBytes px) {
    h.reset();
    const int width = picture.width();
    // Bottom-up, as the rows are stored: ties in popularity go to the colour met first.
    for (int y = picture.height() - 1; y >= 0; --y) {
        const std::uint8_t* row = picture.scanLine(y);
        std::uint32_t lastColor = 0xFFFFFFFF;
        int lastEntry = -1;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = px.at(row, x);
            const std::uint32_t color = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
            if (color != lastColor) {
                lastEntry = h.find(p[2], p[1], p[0], true);
                if (lastEntry < 0) return false;
                lastColor = color;
            }
            ++h.entries[std::size_t(lastEntry)].count;
        }
    }
    return true;
}

PlatformBitmap reduce(const PlatformBitmap& picture, std::optional<std::uint32_t> keepRgb) {
    if (picture.bitsPerPixel() != 24 && picture.bitsPerPixel() != 32) throw Error("GIF image encoding error");
    const PixelBytes px{picture.bitsPerPixel() / 8};
    auto histogram = std::make_unique<Histogram>();
    Histogram& h = *histogram;
    while (!fill(h, picture, px)) h.dropOneBit();

    PlatformBitmap out(picture.width(), picture.height(), 8);
    auto& palette = out.palette();
    palette.assign(256, PaletteEntry{128, 128, 128, 0});
    const int picked = h.entryCount < 256 ? h.entryCount : 256;
    std::array<int, 256> pickedEntries{};
    for (int i = 0; i < picked; ++i) {
        int best = 0;
        std::uint32_t bestCount = 0;
        for (int e = 0; e < h.entryCount; ++e) {
            if (h.entries[std::size_t(e)].count > bestCount) {
                bestCount = h.entries[std::size_t(e)].count;
                best = e;
            }
        }
        Entry& en = h.entries[std::size_t(best)];
        en.index = std::uint8_t(i);
        en.count = 0;
        palette[std::size_t(i)] = PaletteEntry{en.blue, en.green, en.red, 0};
        pickedEntries[std::size_t(i)] = best;
    }
    if (keepRgb && picked == 256) {
        const int keep = h.find(std::uint8_t(*keepRgb >> 16), std::uint8_t(*keepRgb >> 8), std::uint8_t(*keepRgb), false);
        if (keep >= 0 && h.entries[std::size_t(keep)].count != 0) {
            h.entries[std::size_t(pickedEntries[255])].count = 1;  // not picked after all: mapped below
            Entry& en = h.entries[std::size_t(keep)];
            en.index = 255;
            en.count = 0;
            palette[255] = PaletteEntry{en.blue, en.green, en.red, 0};
        }
    }
    for (int e = 0; e < h.entryCount; ++e) {
        Entry& en = h.entries[std::size_t(e)];
        if (en.count == 0) continue;
        int best = 0;
        int bestDistance = 1 << 30;
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry& p = palette[std::size_t(i)];
            const int dr = int(en.red) - p.red, dg = int(en.green) - p.green, db = int(en.blue) - p.blue;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        en.index = std::uint8_t(best);
    }

    const int width = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* row = picture.scanLine(y);
        std::uint8_t* dst = out.scanLine(y);
        std::uint32_t lastColor = 0xFFFFFFFF;
        std::uint8_t lastIndex = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = px.at(row, x);
            const std::uint32_t color = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
            if (color != lastColor) {
                lastIndex = h.entries[std::size_t(h.find(p[2], p[1], p[0], false))].index;
                lastColor = color;
            }
            dst[x] = lastIndex;
        }
    }
    return out;
}

}  // namespace

PlatformBitmap reduceColors(const PlatformBitmap& picture) { return reduce(picture, std::nullopt); }

PlatformBitmap reduceColors(const PlatformBitmap& picture, std::uint32_t keepRgb) { return reduce(picture, keepRgb); }

}  // namespace mugwarp
