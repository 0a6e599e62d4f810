#pragma once
#include <cstddef>
#include <cstdint>

#include "raster/displacement_map.h"
#include "raster/fixed.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mugwarp {

// The map's displacement at a fixed-point position, interpolated bilinearly
// from the four surrounding cells, cells outside the map counting as zero:
// the same value as DisplacementMap::fixedVector, inlined for the brush loop,
// with a direct path when all four cells lie inside.
namespace detail {
inline Fixed wrapSub(Fixed a, Fixed b) { return static_cast<Fixed>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b)); }
inline Fixed wrapAdd(Fixed a, Fixed b) { return static_cast<Fixed>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b)); }
// b + w (a - b): w = 0 gives b.
inline Fixed lerp(Fixed a, Fixed b, Fixed w) { return wrapAdd(b, fixedMul(w, wrapSub(a, b))); }
inline FixedVector lerp(FixedVector a, FixedVector b, Fixed w) { return {lerp(a.x, b.x, w), lerp(a.y, b.y, w)}; }
}  // namespace detail

// A read-only view of a map's cells, held in locals so that stores in the
// brush loop (which may alias a map's fields) do not force reloads.
struct MapCells {
    const FixedVector* cells;
    int width;
    int height;

    explicit MapCells(const DisplacementMap& map)
        : cells(map.height() > 0 ? map.row(0) : nullptr), width(map.width()), height(map.height()) {}
    FixedVector at(int x, int y) const { return cells[static_cast<std::ptrdiff_t>(y) * width + x]; }
    FixedVector safe(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return {};
        return at(x, y);
    }
};

#if defined(__SSE2__)
namespace detail {
// b + ((w (a - b)) >> 16) on four 32-bit lanes, exact for any a, b and w in
// 0..65535 (w in the low half of each lane, 0 in the high half), with the
// same wrap-around as the scalar form. The difference d is split into
// d = dh 65536 + dl; then (w d) >> 16 = w dh + ((w dl) >> 16). The signed
// 32-bit product w dh is built from unsigned 16-bit halves: its high half is
// that of w times dh read as unsigned, less w where dh is negative.
inline __m128i lerp4(__m128i a, __m128i b, __m128i w) {
    const __m128i d = _mm_sub_epi32(a, b);
    const __m128i dh = _mm_srai_epi32(d, 16);
    const __m128i dl = _mm_and_si128(d, _mm_set1_epi32(0xFFFF));
    const __m128i low = _mm_mullo_epi16(w, dh);
    const __m128i high = _mm_sub_epi16(_mm_mulhi_epu16(w, dh), _mm_and_si128(w, _mm_srai_epi16(dh, 15)));
    const __m128i whole = _mm_or_si128(_mm_slli_epi32(high, 16), low);
    return _mm_add_epi32(b, _mm_add_epi32(whole, _mm_mulhi_epu16(w, dl)));
}
}  // namespace detail
#endif

inline FixedVector sampleDisplacement(const MapCells& map, Fixed x, Fixed y) {
    const int i = x >> 16;
    const int j = y >> 16;
    const Fixed fx = x & 0xFFFF;
    const Fixed fy = y & 0xFFFF;
    FixedVector topLeft, topRight, bottomLeft, bottomRight;
    if (i >= 0 && j >= 0 && i + 1 < map.width && j + 1 < map.height) {
#if defined(__SSE2__)
        // Top pair and bottom pair interpolated together, then the two rows.
        const FixedVector* cell = map.cells + (static_cast<std::ptrdiff_t>(j) * map.width + i);
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell));
        const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cell + map.width));
        // Undeformed neighbourhoods (every fresh stroke area) and whole-pixel
        // positions (every cell outside the brush disc) need no arithmetic:
        // the interpolation gives zero, or the cell itself.
        const __m128i zero = _mm_setzero_si128();
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(up, down), zero)) == 0xFFFF) return {};
        if ((fx | fy) == 0) return cell[0];
        const __m128i rows =
            detail::lerp4(_mm_unpackhi_epi64(up, down), _mm_unpacklo_epi64(up, down), _mm_set1_epi32(fx));
        const __m128i v = detail::lerp4(_mm_unpackhi_epi64(rows, rows), rows, _mm_set1_epi32(fy));
        return {_mm_cvtsi128_si32(v), _mm_cvtsi128_si32(_mm_shuffle_epi32(v, 1))};
#else
        const FixedVector* upper = map.cells + (static_cast<std::ptrdiff_t>(j) * map.width + i);
        const FixedVector* lower = upper + map.width;
        topLeft = upper[0];
        topRight = upper[1];
        bottomLeft = lower[0];
        bottomRight = lower[1];
#endif
    } else {
        topLeft = map.safe(i, j);
        topRight = map.safe(i + 1, j);
        bottomLeft = map.safe(i, j + 1);
        bottomRight = map.safe(i + 1, j + 1);
    }
    const FixedVector top = detail::lerp(topRight, topLeft, fx);
    const FixedVector bottom = detail::lerp(bottomRight, bottomLeft, fx);
    return detail::lerp(bottom, top, fy);
}

inline FixedVector sampleDisplacement(const DisplacementMap& map, Fixed x, Fixed y) {
    return sampleDisplacement(MapCells(map), x, y);
}

}  // namespace mugwarp
