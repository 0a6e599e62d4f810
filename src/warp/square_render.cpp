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

}  // namespace mugwarp
