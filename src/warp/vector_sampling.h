#pragma once
#include <cstddef>
#include <cstdint>

#include "raster/displacement_map.h"
#include "raster/fixed.h"

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

inline FixedVector sampleDisplacement(const MapCells& map, Fixed x, Fixed y) {
    const int i = x >> 16;
    const int j = y >> 16;
    const Fixed fx = x & 0xFFFF;
    const Fixed fy = y & 0xFFFF;
    FixedVector topLeft, topRight, bottomLeft, bottomRight;
    if (i >= 0 && j >= 0 && i + 1 < map.width && j + 1 < map.height) {
        const FixedVector* upper = map.cells + (static_cast<std::ptrdiff_t>(j) * map.width + i);
        const FixedVector* lower = upper + map.width;
        topLeft = upper[0];
        topRight = upper[1];
        bottomLeft = lower[0];
        bottomRight = lower[1];
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
