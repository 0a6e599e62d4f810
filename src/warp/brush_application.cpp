#include "warp/brush_application.h"

#include <cstring>

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "warp/source_sampling.h"
#include "warp/vector_sampling.h"

namespace mugwarp {

namespace {

// One row of the first pass. Warp and Twirl have unit multipliers, whose
// products are the mesh values themselves, so that multiply is left out for
// them.
template <bool kScaled>
void composeRow(const BrushApplication& a, const MapCells& map, int t) {
    const FixedVector* brush = a.mesh.row(t);
    FixedVector* out = a.scratch.row(t);
    const Fixed fy = toFixed(a.at.y + t);
    for (int s = a.firstColumn; s <= a.lastColumn; ++s) {
        FixedVector b = brush[s];
        if constexpr (kScaled) b = {fixedMul(a.multiplierX, b.x), fixedMul(a.multiplierY, b.y)};
        const Fixed fx = toFixed(a.at.x + s);
        const FixedVector v = sampleDisplacement(map, detail::wrapAdd(fx, b.x), detail::wrapAdd(fy, b.y));
        out[s] = {detail::wrapAdd(v.x, b.x), detail::wrapAdd(v.y, b.y)};
    }
}

// Runs the first pass row by row, handing each finished row to rowDone.
template <class RowDone>
void compose(const BrushApplication& a, RowDone rowDone) {
    const MapCells map(a.map);
    const bool scaled = a.multiplierX != kFixedOne || a.multiplierY != kFixedOne;
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        if (scaled) {
            composeRow<true>(a, map, t);
        } else {
            composeRow<false>(a, map, t);
        }
        rowDone(t);
    }
}

}  // namespace

void composeIntoScratch(const BrushApplication& a) {
    if (a.isEmpty()) return;
    compose(a, [](int) {});
}

void composeAndRender(const BrushApplication& a, const PixelSurface& source, PixelSurface& display) {
    if (a.isEmpty()) return;
    const BilinearSource sample(source, gammaTable());
    Argb* const pixels = display.bits();
    const std::ptrdiff_t width = display.width();
    // The display pixel at (x, y) shows the source at (x, y) plus its new
    // vector; over the cleared square the source's merge writes the sample
    // unchanged, so it is stored directly. Rendering a row right after
    // composing it reads the new vectors while they are still in cache.
    compose(a, [&](int t) {
        const FixedVector* vectors = a.scratch.row(t);
        const int y = a.at.y + t;
        const Fixed fy = toFixed(y);
        Argb* row = pixels + y * width;
        for (int s = a.firstColumn; s <= a.lastColumn; ++s) {
            const FixedVector c = vectors[s];
            row[a.at.x + s] = sample(detail::wrapAdd(toFixed(a.at.x + s), c.x), detail::wrapAdd(fy, c.y));
        }
    });
}

void copyScratchBack(const BrushApplication& a) {
    if (a.isEmpty()) return;
    const std::size_t rowBytes = static_cast<std::size_t>(a.lastColumn - a.firstColumn + 1) * sizeof(FixedVector);
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        std::memcpy(a.map.row(a.at.y + t) + a.at.x + a.firstColumn, a.scratch.row(t) + a.firstColumn, rowBytes);
    }
}

}  // namespace mugwarp
