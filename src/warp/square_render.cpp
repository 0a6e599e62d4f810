#include "warp/square_render.h"

#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "warp/warp_canvas.h"

namespace mugwarp {

Rect renderSquare(WarpCanvas& canvas, const Rect& rect) {
    const Rect area = rect.intersected(canvas.display.bounds());
    if (area.isEmpty()) return {};
    canvas.display.fillRect(area, 0);
    transform(canvas.display, canvas.source, canvas.remap, area);
    return area;
}

bool canRenderDirectly(const WarpCanvas& canvas) {
    const PixelSurface& source = canvas.source;
    const PixelSurface& display = canvas.display;
    const DisplacementMap& map = canvas.remap.displacementMap();
    const int w = source.width();
    const int h = source.height();
    if (w < 2 || h < 2) return false;
    if (display.width() != w || display.height() != h || map.width() != w || map.height() != h) return false;
    const FloatRect bounds{0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)};
    if (!(canvas.remap.srcRect() == bounds) || !(canvas.remap.mappingRect() == bounds)) return false;
    return source.samplerKind() == SamplerKind::Bilinear && source.drawMode() == DrawMode::Blend &&
           source.combineMode() == CombineMode::Merge && source.masterAlpha() == 255;
}

}  // namespace mugwarp
