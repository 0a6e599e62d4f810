#include "raster/remap_fast.h"
#include "raster/remap_transform.h"
#include "raster/transform_renderer.h"

namespace mugwarp {

namespace {
Rect renderArea(const PixelSurface& destination, const RemapTransform& remap, const std::optional<Rect>& clip) {
    Rect area = remap.transformedBounds().intersected(destination.bounds());
    if (clip) area = area.intersected(*clip);
    return area;
}
}  // namespace

void transformReference(PixelSurface& destination, const PixelSurface& source, RemapTransform& remap,
                        std::optional<Rect> clip) {
    const Rect area = renderArea(destination, remap, clip);
    if (area.isEmpty()) return;
    if (!remap.isPrepared()) remap.prepare();
    renderTransformed(destination, source, area, [&remap](Fixed x, Fixed y, Fixed& sx, Fixed& sy) {
        remap.reverseTransform(x, y, sx, sy);
    });
    destination.changed(area);
}

void transform(PixelSurface& destination, const PixelSurface& source, RemapTransform& remap,
               std::optional<Rect> clip) {
    const Rect area = renderArea(destination, remap, clip);
    if (area.isEmpty()) return;
    if (!remap.isPrepared()) remap.prepare();
    if (!raster_detail::renderRemapFast(destination, source, remap, area)) {
        transformReference(destination, source, remap, area);
        return;
    }
    destination.changed(area);
}

}  // namespace mugwarp
