#include "edit/print_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "edit/overlay_stack.h"

namespace mugwarp {
namespace {

int roundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

Rect fitRectKeepingAspect(const Rect& source, const Rect& bounds, const Rect& output) {
    const int w = source.width();
    const int h = source.height();
    if (w == 0 || h == 0) return output;
    const int bw = bounds.width();
    const int bh = bounds.height();
    if (bh != 0 && static_cast<double>(bw) / bh >= static_cast<double>(w) / h) {
        const int width = roundHalfEven(static_cast<double>(static_cast<std::int64_t>(w) * bh) / h);
        const int left = bounds.left + (bw - width) / 2;
        return {left, bounds.top, left + width, bounds.bottom};
    }
    const int height = roundHalfEven(static_cast<double>(static_cast<std::int64_t>(h) * bw) / w);
    const int top = bounds.top + (bh - height) / 2;
    return {bounds.left, top, bounds.right, top + height};
}

std::vector<Rect> printTiles(const Rect& target, int maxTile) {
    std::vector<Rect> tiles;
    if (target.isEmpty() || maxTile <= 0) return tiles;
    for (int top = target.top; top < target.bottom; top += std::min(maxTile, target.bottom - top)) {
        const int bottom = top + std::min(maxTile, target.bottom - top);
        for (int left = target.left; left < target.right; left += std::min(maxTile, target.right - left))
            tiles.push_back({left, top, left + std::min(maxTile, target.right - left), bottom});
    }
    return tiles;
}

PixelSurface composePrintPicture(const PixelSurface& display, const OverlayStack& overlays) {
    PixelSurface page(display.width(), display.height());
    page.fillRect(page.bounds(), 0xFFFFFFFF);
    PixelSurface picture(display);
    picture.setDrawMode(DrawMode::Blend);
    picture.setCombineMode(CombineMode::Blend);
    picture.setMasterAlpha(255);
    picture.drawTo(page, 0, 0);
    if (overlays.visible()) overlays.flattenInto(page);
    // Overlays may carry alpha of their own; paper has none.
    page.resetAlpha(255);
    page.setDrawMode(DrawMode::Opaque);
    page.setSamplerKind(SamplerKind::Bilinear);
    return page;
}

PixelSurface renderPrintTile(const PixelSurface& picture, const Rect& target, const Rect& tile) {
    PixelSurface out(tile.width(), tile.height());
    out.draw({target.left - tile.left, target.top - tile.top, target.right - tile.left, target.bottom - tile.top}, picture);
    return out;
}

}  // namespace mugwarp
