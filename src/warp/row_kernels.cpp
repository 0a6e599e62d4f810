#include "warp/row_kernels.h"

namespace mugwarp::warp_detail {

namespace {

// Warp and Twirl have unit multipliers, whose products are the mesh values
// themselves, so that multiply is left out for them.
template <bool kScaled>
void composeCellsAs(const ComposeRow& r, int first, int last, FixedVector* out) {
    // Copied to locals: the stores below could alias the row's fields.
    const FixedVector* brush = r.brush;
    const MapCells map = r.map;
    const Fixed multiplierX = r.multiplierX;
    const Fixed multiplierY = r.multiplierY;
    const int left = r.left;
    const Fixed y = r.y;
    for (int s = first; s <= last; ++s) {
        FixedVector b = brush[s];
        if constexpr (kScaled) b = {fixedMul(multiplierX, b.x), fixedMul(multiplierY, b.y)};
        const FixedVector v = sampleDisplacement(map, detail::wrapAdd(toFixed(left + s), b.x), detail::wrapAdd(y, b.y));
        out[s] = {detail::wrapAdd(v.x, b.x), detail::wrapAdd(v.y, b.y)};
    }
}

}  // namespace

void composeCells(const ComposeRow& r, int first, int last, FixedVector* out) {
    if (r.scaled) {
        composeCellsAs<true>(r, first, last, out);
    } else {
        composeCellsAs<false>(r, first, last, out);
    }
}

void renderPixels(const RenderRow& r, int first, int last, const FixedVector* vectors, Argb* row) {
    const BilinearSource& sample = *r.sample;
    const int left = r.left;
    const Fixed fy = toFixed(r.y);
    for (int s = first; s <= last; ++s) {
        const FixedVector c = vectors[s];
        row[left + s] = sample(detail::wrapAdd(toFixed(left + s), c.x), detail::wrapAdd(fy, c.y));
    }
}

}  // namespace mugwarp::warp_detail
