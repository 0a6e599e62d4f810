#include "formats/color_reduction.h"

#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kSlotBits = 13;
constexpr int kSlots = 1 << kSlotBits;
constexpr int kMaxEntries = 2049;
constexpr std::uint16_t kEmpty = 0xFFFF;

struct Entry {
    std::uint8_t blue, green, red;
    std::uint8_t index;
    std::uint32_t count;
};

// Popularity counts of the masked colours, numbered in the order they are
// first met. Fixed size: the table's bound of 2049 colours is what drives
// the masking. The index over them is only a way of finding a colour's
// entry; at most a quarter full, a lookup seldom probes twice.
class Histogram {
public:
    std::uint8_t redMask = 0xFF, greenMask = 0xFF, blueMask = 0xFF;
    int entryCount = 0;
    std::array<Entry, kMaxEntries> entries;

    void reset() {
        entryCount = 0;
        slots_.fill(kEmpty);
        mask_ = (std::uint32_t(redMask) << 16) | (std::uint32_t(greenMask) << 8) | blueMask;
    }

    // The entry of a colour (adding it when new); -1 when the table is full.
    int find(std::uint8_t r, std::uint8_t g, std::uint8_t b, bool add) {
        return find((std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | b, add);
    }

    // The same for a colour given as 0x..RRGGBB (the top byte is ignored).
    int find(std::uint32_t rgb, bool add) {
        const std::uint32_t colour = rgb & mask_;
        std::uint32_t slot = (colour * 0x9E3779B1u) >> (32 - kSlotBits);
        for (;;) {
            const std::uint16_t e = slots_[slot];
            if (e == kEmpty) break;
            if (colours_[e] == colour) return e;
            slot = (slot + 1) & (kSlots - 1);
        }
        if (!add || entryCount == kMaxEntries) return -1;
        entries[std::size_t(entryCount)] =
            Entry{std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16), 0, 0};
        colours_[std::size_t(entryCount)] = colour;
        slots_[slot] = std::uint16_t(entryCount);
        return entryCount++;
    }

    void dropOneBit() {
        auto drop = [](std::uint8_t& m) { m = std::uint8_t(m << 1); };
        if (greenMask > redMask) drop(greenMask);
        else if (redMask > blueMask) drop(redMask);
        else drop(blueMask);
    }

private:
    std::uint32_t mask_ = 0xFFFFFF;
    std::array<std::uint32_t, kMaxEntries> colours_;
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
                lastEntry = h.find(color, true);
                if (lastEntry < 0) return false;
                lastColor = color;
            }
            ++h.entries[std::size_t(lastEntry)].count;
        }
    }
    return true;
}

// Gives every entry its palette index: the (up to) 256 most frequent entries
// become the palette in order of popularity, the lowest entry number winning
// a tie; entry keep (when not -1) takes the last place should it not be among
// them; the others map to their nearest palette colour. Unused palette
// entries are grey.
void choosePalette(std::span<Entry> entries, int keep, std::vector<PaletteEntry>& palette) {
    const int entryCount = int(entries.size());
    palette.assign(256, PaletteEntry{128, 128, 128, 0});
    const int picked = entryCount < 256 ? entryCount : 256;
    std::array<int, 256> pickedEntries{};
    for (int i = 0; i < picked; ++i) {
        int best = 0;
        std::uint32_t bestCount = 0;
        for (int e = 0; e < entryCount; ++e) {
            if (entries[std::size_t(e)].count > bestCount) {
                bestCount = entries[std::size_t(e)].count;
                best = e;
            }
        }
        Entry& en = entries[std::size_t(best)];
        en.index = std::uint8_t(i);
        en.count = 0;
        palette[std::size_t(i)] = PaletteEntry{en.blue, en.green, en.red, 0};
        pickedEntries[std::size_t(i)] = best;
    }
    if (picked == 256 && keep >= 0 && entries[std::size_t(keep)].count != 0) {
        entries[std::size_t(pickedEntries[255])].count = 1;  // not picked after all: mapped below
        Entry& en = entries[std::size_t(keep)];
        en.index = 255;
        en.count = 0;
        palette[255] = PaletteEntry{en.blue, en.green, en.red, 0};
    }
    for (Entry& en : entries) {
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
}

PlatformBitmap reduce(const PlatformBitmap& picture, std::optional<std::uint32_t> keepRgb) {
    if (picture.bitsPerPixel() != 24 && picture.bitsPerPixel() != 32) throw Error("GIF image encoding error");
    const PixelBytes px{picture.bitsPerPixel() / 8};
    auto histogram = std::make_unique<Histogram>();
    Histogram& h = *histogram;
    while (!fill(h, picture, px)) h.dropOneBit();

    PlatformBitmap out(picture.width(), picture.height(), 8);
    const int keep = keepRgb ? h.find(*keepRgb, false) : -1;
    choosePalette(std::span<Entry>(h.entries.data(), std::size_t(h.entryCount)), keep, out.palette());

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
                lastIndex = h.entries[std::size_t(h.find(color, false))].index;
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

PlatformBitmap reduceKeyedAgain(const PlatformBitmap& reduced, std::span<const std::uint8_t> keyed, std::uint32_t keyRgb) {
    if (reduced.bitsPerPixel() != 8) throw Error("GIF image encoding error");
    const auto rgbOf = [](const PaletteEntry& p) {
        return (std::uint32_t(p.red) << 16) | (std::uint32_t(p.green) << 8) | p.blue;
    };
    // One class per distinct colour: each index, and the key as index 256,
    // takes the class of the first index of its colour.
    // Indices beyond the palette read as black, as when the picture is drawn.
    const auto& palette = reduced.palette();
    std::array<std::uint32_t, 257> rgb{};
    for (std::size_t i = 0; i < 256 && i < palette.size(); ++i) rgb[i] = rgbOf(palette[i]);
    rgb[256] = keyRgb & 0xFFFFFF;
    std::array<std::uint16_t, 257> classOf{};
    for (int i = 0; i < 257; ++i) {
        int j = 0;
        while (rgb[std::size_t(j)] != rgb[std::size_t(i)]) ++j;
        classOf[std::size_t(i)] = std::uint16_t(j);
    }

    // Counts per class, bottom-up as the histogram is filled, and the order
    // in which the classes are first met: their entry numbers.
    const int width = reduced.width();
    std::array<std::uint32_t, 257> counts{};
    std::array<std::int16_t, 257> entryOf;
    entryOf.fill(-1);
    std::array<Entry, 257> entries{};
    int entryCount = 0;
    bool anyKeyed = false;
    for (int y = reduced.height() - 1; y >= 0; --y) {
        const std::uint8_t* row = reduced.scanLine(y);
        const std::uint8_t* keyedRow = keyed.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            const int c = classOf[keyedRow[x] ? 256 : row[x]];
            anyKeyed |= keyedRow[x] != 0;
            if (counts[std::size_t(c)]++ == 0) {
                const std::uint32_t colour = rgb[std::size_t(c)];
                entryOf[std::size_t(c)] = std::int16_t(entryCount);
                entries[std::size_t(entryCount++)] =
                    Entry{std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16), 0, 0};
            }
        }
    }
    for (int c = 0; c < 257; ++c)
        if (entryOf[std::size_t(c)] >= 0) entries[std::size_t(entryOf[std::size_t(c)])].count = counts[std::size_t(c)];

    PlatformBitmap out(width, reduced.height(), 8);
    const int keep = anyKeyed ? entryOf[classOf[256]] : -1;
    choosePalette(std::span<Entry>(entries.data(), std::size_t(entryCount)), keep, out.palette());
    std::array<std::uint8_t, 257> indexOf{};
    for (int i = 0; i < 257; ++i) {
        const int e = entryOf[classOf[std::size_t(i)]];
        indexOf[std::size_t(i)] = e >= 0 ? entries[std::size_t(e)].index : 0;
    }
    for (int y = 0; y < reduced.height(); ++y) {
        const std::uint8_t* row = reduced.scanLine(y);
        const std::uint8_t* keyedRow = keyed.data() + std::size_t(y) * std::size_t(width);
        std::uint8_t* dst = out.scanLine(y);
        for (int x = 0; x < width; ++x) dst[x] = indexOf[keyedRow[x] ? 256 : row[x]];
    }
    return out;
}

}  // namespace mugwarp
