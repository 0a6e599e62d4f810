#include "document/flat_picture.h"

#include <algorithm>
#include <cmath>

namespace mugwarp {

Rect squareInPicture(int column, int row, int n, const Rect& bounds) {
    if (n < 0) return {};
    column = std::max(column, 0);
    row = std::max(row, 0);
    return placedRect(column, row, static_cast<long long>(n) + 1, static_cast<long long>(n) + 1).intersected(bounds);
}

void clearFlatPicture(PlatformBitmap& flat, Argb key) {
    if (flat.bitsPerPixel() != 32) flat.setBitsPerPixel(32);
    for (int y = 0; y < flat.height(); ++y) {
        Argb* pixels = flatRow(flat, y);
        for (int x = 0; x < flat.width(); ++x) {
            const Argb p = pixels[x];
            if (p != key && p != 0) continue;
            const Argb level = flatCheckerLevel(x, y);
            pixels[x] = (p & 0xFF000000u) | level << 16 | level << 8 | level;
        }
    }
}

Rect paintFlatSquare(PlatformBitmap& flat, int column, int row, int n, FlatBrush brush, PlatformColor paintColor) {
    if (flat.bitsPerPixel() != 32) flat.setBitsPerPixel(32);
    const Rect square = squareInPicture(column, row, n, flat.bounds());
    const Argb paint = argbFromPlatform(paintColor, 0) & 0x00FFFFFFu;
    for (int y = square.top; y < square.bottom; ++y) {
        Argb* pixels = flatRow(flat, y);
        for (int x = square.left; x < square.right; ++x) {
            Argb colour = paint;
            if (brush == FlatBrush::Erase) {
                const Argb level = flatCheckerLevel(x, y);
                colour = level << 16 | level << 8 | level;
            }
            pixels[x] = (pixels[x] & 0xFF000000u) | colour;
        }
    }
    return square;
}

const LevelTable& cropDarkening() {
    static const LevelTable table = [] {
        LevelTable t{};
        for (int v = 0; v < 256; ++v) {
            const double f = v / 255.0;
            t[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(std::lround(255.0 * f * f));
        }
        return t;
    }();
    return table;
}

PlatformBitmap darkenedCopy(const PlatformBitmap& picture) {
    PlatformBitmap out(picture.width(), picture.height(), 32);
    const LevelTable& dark = cropDarkening();
    for (int y = 0; y < picture.height(); ++y) {
        const Argb* in = flatRow(picture, y);
        Argb* to = flatRow(out, y);
        for (int x = 0; x < picture.width(); ++x) {
            const Argb p = in[x];
            to[x] = (p & 0xFF000000u) | Argb(dark[redOf(p)]) << 16 | Argb(dark[greenOf(p)]) << 8 | dark[blueOf(p)];
        }
    }
    return out;
}

int flatPictureCoordinate(int viewCoordinate, int zoomPercent) {
    // Whole numbers: floating point would give 0.99... for some exact quotients.
    if (zoomPercent <= 0) return viewCoordinate;
    return static_cast<int>(static_cast<long long>(viewCoordinate) * 100 / zoomPercent);
}

int flatSquareSize(int eraseSize, int zoomPercent) {
    if (zoomPercent <= 0) return eraseSize;
    return static_cast<int>(static_cast<long long>(eraseSize) * 100 / zoomPercent);
}

}  // namespace mugwarp
