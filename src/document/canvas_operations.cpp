#include "document/canvas_operations.h"

#include <algorithm>
#include <vector>

#include "document/document.h"
#include "document/freeze_mask.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

ImageSizeLimits imageSizeLimits(int width, int height) {
    constexpr int kFloor = 10;
    constexpr int kCeiling = 5000;
    const auto maximum = [](int side) { return static_cast<int>(std::min<long long>(side * 10LL, kCeiling)); };
    return {std::max(width / 10, kFloor), maximum(width), std::max(height / 10, kFloor), maximum(height)};
}

double proportionalSide(int startSide, int startOther, int typed) {
    if (startSide <= 0) return startOther;
    return startOther / 100.0 * (typed / (startSide / 100.0));
}

void stretchNearest(const PixelSurface& source, PixelSurface& target) {
    const int w = target.width();
    const int h = target.height();
    if (source.isEmpty() || target.isEmpty()) return;
    std::vector<int> columns(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) columns[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * source.width() / w);
    int previous = -1;
    for (int y = 0; y < h; ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * source.height() / h);
        Argb* to = target.row(y);
        if (sy == previous) {
            std::copy(target.row(y - 1), target.row(y - 1) + w, to);
            continue;
        }
        previous = sy;
        const Argb* from = source.row(sy);
        for (int x = 0; x < w; ++x) to[x] = from[columns[static_cast<std::size_t>(x)]];
    }
}

void resizePicture(Document& document, int width, int height) {
    if (!document.pictureLoaded()) return;
    PixelSurface resized(std::max(width, 1), std::max(height, 1));
    stretchNearest(document.display(), resized);
    document.setSizeChanged(true);
    document.snapshotForUndo();
    document.carryFreezeMask(stretchedMask(document.freezeMask(), resized.width(), resized.height()));
    document.rebasePicture(resized, true);
    if (isFlatTool(document.currentTool())) document.refreshFlatPicture();
}

void rotatePicture(Document& document, Rotation rotation) {
    if (!document.pictureLoaded()) return;
    document.setSizeChanged(true);
    document.snapshotForUndo();
    const PixelSurface& shown = document.display();
    // Turned into a picture of its own: should memory run out on the way,
    // the document still holds the picture as it was.
    PixelSurface turned;
    switch (rotation) {
    case Rotation::HalfTurn: shown.rotate180Into(turned); break;
    case Rotation::Clockwise: shown.rotate90ClockwiseInto(turned); break;
    case Rotation::CounterClockwise: shown.rotate90CounterClockwiseInto(turned); break;
    }
    document.carryFreezeMask(rotatedMask(document.freezeMask(), rotation));
    document.rebasePicture(turned, true);
    if (isFlatTool(document.currentTool())) document.refreshFlatPicture();
}

}  // namespace mugwarp
