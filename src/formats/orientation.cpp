#include "formats/orientation.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mugwarp {
namespace {

// Where upright pixel (x, y) comes from in the stored picture, as a start and
// steps in stored words: the upright row is walked with a fixed stride, so
// the loop is a plain gather with no per-pixel branching.
struct Walk {
    bool swapsSides;
    // Stored column and row of upright (0, 0), and how they move per upright
    // column and per upright row.
    int x0, y0, dxCol, dyCol, dxRow, dyRow;
};

Walk walkFor(int orientation, int storedW, int storedH) {
    const int w = storedW - 1, h = storedH - 1;
    switch (orientation) {
        case 2: return {false, w, 0, -1, 0, 0, 1};
        case 3: return {false, w, h, -1, 0, 0, -1};
        case 4: return {false, 0, h, 1, 0, 0, -1};
        case 5: return {true, 0, 0, 0, 1, 1, 0};
        case 6: return {true, 0, h, 0, -1, 1, 0};
        case 7: return {true, w, h, 0, -1, -1, 0};
        case 8: return {true, w, 0, 0, 1, -1, 0};
        default: return {false, 0, 0, 1, 0, 0, 1};
    }
}

}  // namespace

PlatformBitmap orientUpright(PlatformBitmap stored, int orientation) {
    if (orientation < 2 || orientation > 8 || stored.isEmpty()) return stored;
    if (stored.bitsPerPixel() != 32) stored.setBitsPerPixel(32);
    const Walk walk = walkFor(orientation, stored.width(), stored.height());
    const int width = walk.swapsSides ? stored.height() : stored.width();
    const int height = walk.swapsSides ? stored.width() : stored.height();
    PlatformBitmap upright(width, height, 32);
    // Rows of the stored bitmap lie bottom-up: one row further down the
    // picture is one stride lower in memory.
    const auto* base = reinterpret_cast<const std::uint32_t*>(stored.scanLine(0));
    const std::ptrdiff_t rowStep = -std::ptrdiff_t(stored.stride() / 4);
    const std::ptrdiff_t colStep = std::ptrdiff_t(walk.dxCol) + std::ptrdiff_t(walk.dyCol) * rowStep;
    if (colStep == 1) {
        for (int y = 0; y < height; ++y) {
            const std::uint32_t* src = base + (walk.x0 + walk.dxRow * y) + std::ptrdiff_t(walk.y0 + walk.dyRow * y) * rowStep;
            std::memcpy(upright.scanLine(y), src, std::size_t(width) * 4);
        }
        return upright;
    }
    // Turns and diagonal mirrors read the stored picture down its columns:
    // done in square tiles, so the rows a tile touches stay in the cache.
    constexpr int kTile = 32;
    for (int ty = 0; ty < height; ty += kTile) {
        const int yEnd = std::min(height, ty + kTile);
        for (int tx = 0; tx < width; tx += kTile) {
            const int xEnd = std::min(width, tx + kTile);
            for (int y = ty; y < yEnd; ++y) {
                const int sx = walk.x0 + walk.dxRow * y + walk.dxCol * tx;
                const int sy = walk.y0 + walk.dyRow * y + walk.dyCol * tx;
                const std::uint32_t* src = base + sx + std::ptrdiff_t(sy) * rowStep;
                auto* dst = reinterpret_cast<std::uint32_t*>(upright.scanLine(y));
                for (int x = tx; x < xEnd; ++x, src += colStep) dst[x] = *src;
            }
        }
    }
    return upright;
}

}  // namespace mugwarp
