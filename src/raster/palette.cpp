#include "raster/palette.h"

namespace mugwarp {

namespace {
PaletteEntry entry(int r, int g, int b) {
    return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r), 0};
}
}  // namespace

std::vector<PaletteEntry> defaultPalette(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 1: return {entry(0, 0, 0), entry(255, 255, 255)};
        case 4:
            return {entry(0, 0, 0),       entry(128, 0, 0),   entry(0, 128, 0),   entry(128, 128, 0),
                    entry(0, 0, 128),     entry(128, 0, 128), entry(0, 128, 128), entry(192, 192, 192),
                    entry(128, 128, 128), entry(255, 0, 0),   entry(0, 255, 0),   entry(255, 255, 0),
                    entry(0, 0, 255),     entry(255, 0, 255), entry(0, 255, 255), entry(255, 255, 255)};
        case 8: {
            std::vector<PaletteEntry> palette;
            palette.reserve(256);
            for (int i = 0; i < 256; ++i) {
                palette.push_back(entry((i >> 5) * 255 / 7, ((i >> 2) & 7) * 255 / 7, (i & 3) * 255 / 3));
            }
            return palette;
        }
        default: return {};
    }
}

int nearestPaletteIndex(const std::vector<PaletteEntry>& palette, Argb color) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].red - redOf(color);
        const int dg = palette[i].green - greenOf(color);
        const int db = palette[i].blue - blueOf(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

}  // namespace mugwarp
