#pragma once
#include <cstdint>
#include <vector>

#include "raster/displacement_map.h"
#include "raster/fixed.h"
#include "raster/geometry.h"
#include "warp/pixel_point.h"

namespace mugwarp {

class PixelSurface;

// The columns of one mesh row whose brush vector is not zero; empty when
// first > last.
struct ColumnSpan {
    int first;
    int last;
};

// Per mesh row, the columns whose vector is not zero. Elsewhere a brush
// application leaves the map alone: a zero vector reads its own cell at a
// whole position, which gives the cell's vector back unchanged.
std::vector<ColumnSpan> nonZeroColumns(const DisplacementMap& mesh);

// One brush application over the part of the brush square inside the map:
// mesh cells (s, t) with firstColumn <= s <= lastColumn, firstRow <= t <= lastRow
// land on map cells (at.x + s, at.y + t).
struct BrushApplication {
    const DisplacementMap& mesh;
    DisplacementMap& map;
    DisplacementMap& scratch;
    PixelPoint at;
    Fixed multiplierX;
    Fixed multiplierY;
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;
    // Largest vertical brush displacement of this application, in fixed
    // point: how far above or below its own row a cell may read.
    std::int64_t reachY;
    // nonZeroColumns of the mesh, one per mesh row.
    const std::vector<ColumnSpan>& meshSpans;
    // The freeze mask (the map's size), or null: each brush vector is scaled
    // by the part of its map cell that is not frozen, row by row as the rows
    // are composed.
    const ByteMap* freeze = nullptr;

    bool isEmpty() const { return firstColumn > lastColumn || firstRow > lastRow; }
    Rect mapArea() const { return {at.x + firstColumn, at.y + firstRow, at.x + lastColumn + 1, at.y + lastRow + 1}; }
};

// First pass: scratch(s, t) := the deformation read at the displaced point
// plus the brush vector. Reads only the map as it was before.
void composeIntoScratch(const BrushApplication& a);

// Both passes, also writing each display pixel of the area from its new
// vector as soon as its row is composed. Only valid when the source, the display and the map have
// the same size and the remap maps them one to one (see canRenderDirectly).
void composeAndRender(const BrushApplication& a, const PixelSurface& source, PixelSurface& display);

// Second pass: the scratch cells replace the map cells.
void copyScratchBack(const BrushApplication& a);

}  // namespace mugwarp
