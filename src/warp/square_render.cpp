#include "warp/square_render.h"

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "warp/kernel_choice.h"
#include "warp/row_kernels.h"
#include "warp/warp_canvas.h"

namespace mugwarp {

Rect renderSquare(WarpCanvas& canvas, const Rect& rect) {
    const Rect area = rect.intersected(canvas.display.bounds());
    if (area.isEmpty()) return {};
    canvas.display.fillRect(area, 0);
    transform(canvas.display, canvas.source, canvas.remap, area);
    return area;
}

Rect renderArea(WarpCanvas& canvas, const Rect& rect) {
    if (!canRenderDirectly(canvas)) return renderSquare(canvas, rect);
    const Rect area = rect.intersected(canvas.display.bounds());
    if (area.isEmpty()) return {};
    const PixelSurface& source = canvas.source;
    const DisplacementMap& map = canvas.remap.displacementMap();
    const BilinearSource sample(source, gammaTable());
    const warp_detail::RowKernels kernels = warp_detail::rowKernels();
    const int first = 0;
    const int last = area.width() - 1;
    for (int y = area.top; y < area.bottom; ++y) {
        const warp_detail::RenderRow row{&sample, source.bits(), source.width(), source.height(), area.left, y};
        const FixedVector* vectors = map.row(y) + area.left;
        Argb* const out = canvas.display.bits() + static_cast<std::ptrdiff_t>(y) * canvas.display.width();
        switch (kernels) {
            case warp_detail::RowKernels::Avx512: warp_detail::renderPixelsAvx512(row, first, last, vectors, out); break;
            case warp_detail::RowKernels::Avx2: warp_detail::renderPixelsAvx2(row, first, last, vectors, out); break;
            case warp_detail::RowKernels::Portable: warp_detail::renderPixels(row, first, last, vectors, out); break;
        }
    }
    canvas.display.changed(area);
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
