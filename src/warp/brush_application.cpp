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
void composeRow(const BrushApplication& a, const MapCells& map, int t, FixedVector* out) {
    // Copied to locals: the stores below could alias the application's fields.
    const FixedVector* brush = a.mesh.row(t);
    const Fixed multiplierX = a.multiplierX;
    const Fixed multiplierY = a.multiplierY;
    const int left = a.at.x;
    const int first = a.firstColumn;
    const int last = a.lastColumn;
    const Fixed fy = toFixed(a.at.y + t);
    for (int s = first; s <= last; ++s) {
        FixedVector b = brush[s];
        if constexpr (kScaled) b = {fixedMul(multiplierX, b.x), fixedMul(multiplierY, b.y)};
        const Fixed fx = toFixed(left + s);
        const FixedVector v = sampleDisplacement(map, detail::wrapAdd(fx, b.x), detail::wrapAdd(fy, b.y));
        out[s] = {detail::wrapAdd(v.x, b.x), detail::wrapAdd(v.y, b.y)};
    }
}

void copyRowBack(const BrushApplication& a, int t, const FixedVector* cells) {
    const std::size_t bytes = static_cast<std::size_t>(a.lastColumn - a.firstColumn + 1) * sizeof(FixedVector);
    std::memcpy(a.map.row(a.at.y + t) + a.at.x + a.firstColumn, cells + a.firstColumn, bytes);
}

// Runs the first pass row by row into the scratch map, handing each finished
// row to rowDone. With writeBack the new rows also replace the map's as soon
// as no later row can read them: a cell reads at most reach rows above its
// own, so the scratch rows are used as a ring of reach + 1 rows that stays
// in cache. Without, the scratch map holds every new row.
template <class RowDone>
void compose(const BrushApplication& a, bool writeBack, RowDone rowDone) {
    const MapCells map(a.map);
    const bool scaled = a.multiplierX != kFixedOne || a.multiplierY != kFixedOne;
    const int rows = a.lastRow - a.firstRow + 1;
    const std::int64_t reach = (a.reachY >> 16) + 2;
    const int ring = writeBack && reach + 1 < rows ? static_cast<int>(reach) + 1 : rows;
    const auto slot = [&](int t) { return a.scratch.row(a.firstRow + (t - a.firstRow) % ring); };
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        FixedVector* out = slot(t);
        if (scaled) {
            composeRow<true>(a, map, t, out);
        } else {
            composeRow<false>(a, map, t, out);
        }
        rowDone(t, out);
        if (writeBack && ring < rows && t - (ring - 1) >= a.firstRow) copyRowBack(a, t - (ring - 1), slot(t - (ring - 1)));
    }
    if (!writeBack) return;
    for (int t = ring < rows ? a.lastRow - (ring - 2) : a.firstRow; t <= a.lastRow; ++t) copyRowBack(a, t, slot(t));
}

}  // namespace

void composeIntoScratch(const BrushApplication& a) {
    if (a.isEmpty()) return;
    compose(a, false, [](int, const FixedVector*) {});
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
    const int left = a.at.x;
    const int first = a.firstColumn;
    const int last = a.lastColumn;
    compose(a, true, [&](int t, const FixedVector* vectors) {
        const int y = a.at.y + t;
        const Fixed fy = toFixed(y);
        Argb* row = pixels + y * width;
        for (int s = first; s <= last; ++s) {
            const FixedVector c = vectors[s];
            row[left + s] = sample(detail::wrapAdd(toFixed(left + s), c.x), detail::wrapAdd(fy, c.y));
        }
    });
}

void copyScratchBack(const BrushApplication& a) {
    if (a.isEmpty()) return;
    for (int t = a.firstRow; t <= a.lastRow; ++t) copyRowBack(a, t, a.scratch.row(t));
}

}  // namespace mugwarp
