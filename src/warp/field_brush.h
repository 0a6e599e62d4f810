#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "raster/displacement_map.h"
#include "raster/geometry.h"
#include "warp/brush_application.h"
#include "warp/pixel_point.h"
#include "warp/warp_brush.h"

namespace mugwarp {

// The brush's radial weight over its size x size square in 16.16 (0 ..
// 65536), row by row, with the columns of each row whose weight is not zero.
struct BrushWeights {
    int size = 0;
    std::vector<std::uint32_t> cells;
    std::vector<ColumnSpan> spans;

    const std::uint32_t* row(int t) const { return cells.data() + static_cast<std::size_t>(t) * size; }
};
BrushWeights buildBrushWeights(const WarpBrush& brush, int size);

// One application of a brush that works on a map cell by cell: weight cells
// (s, t) with firstColumn <= s <= lastColumn, firstRow <= t <= lastRow land on
// cells (at.x + s, at.y + t). Each cell's share is weight x strength (a
// weight above zero always gives at least 1 / 65536), times the part of the
// cell that is not frozen.
struct FieldApplication {
    const BrushWeights& weights;
    std::uint32_t strength;  // 16.16, 0 .. 65536
    const ByteMap* freeze;   // null or empty: nothing is frozen
    PixelPoint at;
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;

    bool isEmpty() const { return firstColumn > lastColumn || firstRow > lastRow; }
    Rect mapArea() const { return {at.x + firstColumn, at.y + firstRow, at.x + lastColumn + 1, at.y + lastRow + 1}; }
};

// Called with each map row an application finished, and the columns of it
// that may have changed (first..last, map columns), in order from the top.
using RowDone = std::function<void(int y, int first, int last)>;

// Reconstruct: each vector becomes v (1 - share), rounded towards zero, so
// that every cell with a share reaches exactly zero after enough applications.
void reconstructField(const FieldApplication& a, DisplacementMap& map, const RowDone& rowDone);

// Smooth: each vector moves by its share towards the mean of the vectors in
// the (2 radius + 1)-square around it (cells outside the map are left out of
// the mean), the mean always taken over the map as it was. A uniform field
// stays as it is. sums is scratch space.
void smoothField(const FieldApplication& a, int radius, DisplacementMap& map, std::vector<std::int64_t>& sums,
                 const RowDone& rowDone);

// Freeze (thaw false) raises each mask cell by its share of what is left to
// 255, rounded up; Thaw lowers it by its share, rounded up. The mask is the
// map's size; a.freeze is not consulted.
void paintFreezeMask(const FieldApplication& a, bool thaw, ByteMap& mask);

}  // namespace mugwarp
