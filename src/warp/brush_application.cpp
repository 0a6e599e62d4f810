#include "warp/brush_application.h"

#include <cstring>

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "warp/source_sampling.h"
#include "warp/vector_sampling.h"

namespace mugwarp {

namespace {

// Runs the first pass, handing every new vector with its map position to
// emit. Warp and Twirl have unit multipliers, whose products are the mesh
// values themselves, so that multiply is left out for them.
template <bool kScaled, class Emit>
void composeRows(const BrushApplication& a, Emit emit) {
    const MapCells map(a.map);
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        const FixedVector* brush = a.mesh.row(t);
        FixedVector* out = a.scratch.row(t);
        const int y = a.at.y + t;
        const Fixed fy = toFixed(y);
        for (int s = a.firstColumn; s <= a.lastColumn; ++s) {
            FixedVector b = brush[s];
            if constexpr (kScaled) b = {fixedMul(a.multiplierX, b.x), fixedMul(a.multiplierY, b.y)};
            const int x = a.at.x + s;
            const Fixed fx = toFixed(x);
            const FixedVector v = sampleDisplacement(map, detail::wrapAdd(fx, b.x), detail::wrapAdd(fy, b.y));
            const FixedVector c{detail::wrapAdd(v.x, b.x), detail::wrapAdd(v.y, b.y)};
            out[s] = c;
            emit(x, y, fx, fy, c);
        }
    }
}

template <class Emit>
void compose(const BrushApplication& a, Emit emit) {
    if (a.multiplierX == kFixedOne && a.multiplierY == kFixedOne) {
        composeRows<false>(a, emit);
    } else {
        composeRows<true>(a, emit);
    }
}

}  // namespace

void composeIntoScratch(const BrushApplication& a) {
    if (a.isEmpty()) return;
    compose(a, [](int, int, Fixed, Fixed, FixedVector) {});
}

void composeAndRender(const BrushApplication& a, const PixelSurface& source, PixelSurface& display) {
    if (a.isEmpty()) return;
    const BilinearSource sample(source, gammaTable());
    // The display pixel at (x, y) shows the source at (x, y) plus its new
    // vector; over the cleared square the source's merge writes the sample
    // unchanged, so it is stored directly.
    Argb* const pixels = display.bits();
    const std::ptrdiff_t width = display.width();
    compose(a, [&](int x, int y, Fixed fx, Fixed fy, FixedVector c) {
        pixels[y * width + x] = sample(detail::wrapAdd(fx, c.x), detail::wrapAdd(fy, c.y));
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
