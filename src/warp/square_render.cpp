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

RowRenderer::RowRenderer(WarpCanvas& canvas)
    : canvas_(canvas), sample_(canvas.source, gammaTable()), kernels_(warp_detail::rowKernels()) {}

void RowRenderer::render(int y, int first, int last) const {
    if (first > last) return;
    const PixelSurface& source = canvas_.source;
    const warp_detail::RenderRow row{&sample_, source.bits(), source.width(), source.height(), first, y};
    const FixedVector* vectors = canvas_.remap.displacementMap().row(y) + first;
    Argb* const out = canvas_.display.bits() + static_cast<std::ptrdiff_t>(y) * canvas_.display.width();
    const int count = last - first;
    switch (kernels_) {
        case warp_detail::RowKernels::Avx512: warp_detail::renderPixelsAvx512(row, 0, count, vectors, out); break;
        case warp_detail::RowKernels::Avx2: warp_detail::renderPixelsAvx2(row, 0, count, vectors, out); break;
        case warp_detail::RowKernels::Portable: warp_detail::renderPixels(row, 0, count, vectors, out); break;
    }
}

Rect renderArea(WarpCanvas& canvas, const Rect& rect) {
    if (!canRenderDirectly(canvas)) return renderSquare(canvas, rect);
    const Rect area = rect.intersected(canvas.display.bounds());
    if (area.isEmpty()) return {};
    const RowRenderer rows(canvas);
    for (int y = area.top; y < area.bottom; ++y) rows.render(y, area.left, area.right - 1);
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
