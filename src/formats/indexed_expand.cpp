#include "formats/indexed_expand.h"

#include <array>
#include <cstring>

namespace mugwarp {

PlatformBitmap expandIndexed(const PlatformBitmap& indexed) {
    std::array<std::uint32_t, 256> lut;
    lut.fill(0xFF000000u);
    const auto& palette = indexed.palette();
    for (std::size_t i = 0; i < palette.size() && i < lut.size(); ++i)
        lut[i] = 0xFF000000u | (std::uint32_t(palette[i].red) << 16) | (std::uint32_t(palette[i].green) << 8) |
                 palette[i].blue;
    PlatformBitmap out(indexed.width(), indexed.height(), 32);
    const int width = indexed.width();
    const int depth = indexed.bitsPerPixel();
    for (int y = 0; y < indexed.height(); ++y) {
        const std::uint8_t* src = indexed.scanLine(y);
        std::uint8_t* dst = out.scanLine(y);
        for (int x = 0; x < width; ++x) {
            int index;
            if (depth == 8) index = src[x];
            else if (depth == 4) index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
            else index = (src[x >> 3] >> (7 - (x & 7))) & 1;
            std::memcpy(dst + 4 * x, &lut[std::size_t(index)], 4);
        }
    }
    return out;
}

}  // namespace mugwarp
