#include "warp/brush_application.h"

#include <algorithm>
#include <cstring>

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "warp/kernel_choice.h"
#include "warp/row_kernels.h"

namespace mugwarp {

namespace {

warp_detail::ComposeRow composeRowOf(const BrushApplication& a, const MapCells& map, int t) {
    const bool scaled = a.multiplierX != kFixedOne || a.multiplierY != kFixedOne;
    return {a.mesh.row(t), map, a.multiplierX, a.multiplierY, scaled, a.at.x, toFixed(a.at.y + t)};
}

// The columns of mesh row t that the application changes, within the clip.
ColumnSpan changedColumns(const BrushApplication& a, int t) {
    const ColumnSpan span = a.meshSpans[static_cast<std::size_t>(t)];
    return {std::max(span.first, a.firstColumn), std::min(span.last, a.lastColumn)};
}

// Brush vectors first..last of mesh row t as the freeze mask lets them act,
// into out (indexed like the mesh row); false, leaving out alone, when no
// cell of the span is frozen. Free cells keep their vectors bit for bit and
// fully frozen ones get none. Brush vectors stay below 256 pixels (2^24 in
// 16.16; a few tens of pixels even at the largest brush), so floats hold
// them exactly and the row vectorises.
bool frozenRow(const BrushApplication& a, int t, int first, int last, FixedVector* out) {
    const std::uint8_t* mask = a.freeze->row(a.at.y + t) + a.at.x;
    unsigned any = 0;
    for (int s = first; s <= last; ++s) any |= mask[s];
    if (any == 0) return false;
    const FixedVector* in = a.mesh.row(t);
    for (int s = first; s <= last; ++s) {
        const float k = static_cast<float>(255 - mask[s]) / 255.0f;
        out[s] = {static_cast<Fixed>(static_cast<float>(in[s].x) * k), static_cast<Fixed>(static_cast<float>(in[s].y) * k)};
    }
    return true;
}

// Asks for the cache lines of cells first..last of a row ahead of their use:
// each row of the square starts a new stream, which the processor's own
// prefetching only catches up with after its first lines.
template <class Cell>
void prefetchCells(const Cell* row, int first, int last) {
    constexpr int kPerLine = 64 / static_cast<int>(sizeof(Cell));
    for (int s = first; s <= last; s += kPerLine) __builtin_prefetch(row + s);
}

void copyCells(const FixedVector* from, FixedVector* to, int first, int last) {
    if (first <= last) std::memcpy(to + first, from + first, static_cast<std::size_t>(last - first + 1) * sizeof(FixedVector));
}

// Only the changed columns go back; the others still hold the same vectors.
void copyRowBack(const BrushApplication& a, int t, const FixedVector* cells) {
    const ColumnSpan changed = changedColumns(a, t);
    copyCells(cells, a.map.row(a.at.y + t) + a.at.x, changed.first, changed.last);
}

// Runs the first pass row by row into the scratch map, handing each finished
// row to rowDone. With writeBack the new rows also replace the map's as soon
// as no later row can read them: a cell reads at most reach rows above its
// own, so the scratch rows are used as a ring of reach + 1 rows that stays
// in cache. Without, the scratch map holds every new row.
template <class RowDone>
void compose(const BrushApplication& a, bool writeBack, RowDone rowDone) {
    const MapCells map(a.map);
    const warp_detail::RowKernels kernels = warp_detail::rowKernels();
    const int rows = a.lastRow - a.firstRow + 1;
    const std::int64_t reach = (a.reachY >> 16) + 2;
    const int ring = writeBack && reach + 1 < rows ? static_cast<int>(reach) + 1 : rows;
    const auto slot = [&](int t) { return a.scratch.row(a.firstRow + (t - a.firstRow) % ring); };
    std::vector<FixedVector> frozen(a.freeze != nullptr ? static_cast<std::size_t>(a.mesh.width()) : 0);
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        FixedVector* out = slot(t);
        const ColumnSpan changed = changedColumns(a, t);
        if (t < a.lastRow) {
            // The next row's brush vectors, and the map row below the ones
            // it reads around its own.
            prefetchCells(a.mesh.row(t + 1), a.firstColumn, a.lastColumn);
            prefetchCells(a.map.row(std::min(a.at.y + t + 2, a.map.height() - 1)) + a.at.x, a.firstColumn, a.lastColumn);
        }
        // Cells under a zero brush vector keep theirs.
        const FixedVector* own = a.map.row(a.at.y + t) + a.at.x;
        if (changed.first > changed.last) {
            copyCells(own, out, a.firstColumn, a.lastColumn);
        } else {
            copyCells(own, out, a.firstColumn, changed.first - 1);
            copyCells(own, out, changed.last + 1, a.lastColumn);
            warp_detail::ComposeRow row = composeRowOf(a, map, t);
            if (a.freeze != nullptr && frozenRow(a, t, changed.first, changed.last, frozen.data())) row.brush = frozen.data();
            switch (kernels) {
                case warp_detail::RowKernels::Avx512:
                    warp_detail::composeCellsAvx512(row, changed.first, changed.last, out);
                    break;
                case warp_detail::RowKernels::Avx2:
                    warp_detail::composeCellsAvx2(row, changed.first, changed.last, out);
                    break;
                case warp_detail::RowKernels::Portable:
                    warp_detail::composeCells(row, changed.first, changed.last, out);
                    break;
            }
        }
        rowDone(t, out);
        if (writeBack && ring < rows && t - (ring - 1) >= a.firstRow) copyRowBack(a, t - (ring - 1), slot(t - (ring - 1)));
    }
    if (!writeBack) return;
    for (int t = ring < rows ? a.lastRow - (ring - 2) : a.firstRow; t <= a.lastRow; ++t) copyRowBack(a, t, slot(t));
}

}  // namespace

std::vector<ColumnSpan> nonZeroColumns(const DisplacementMap& mesh) {
    std::vector<ColumnSpan> spans(static_cast<std::size_t>(mesh.height()));
    const auto zero = [](const FixedVector& v) { return v.x == 0 && v.y == 0; };
    for (int y = 0; y < mesh.height(); ++y) {
        const FixedVector* row = mesh.row(y);
        int first = 0;
        int last = mesh.width() - 1;
        while (first <= last && zero(row[first])) ++first;
        while (last >= first && zero(row[last])) --last;
        spans[static_cast<std::size_t>(y)] = {first, last};
    }
    return spans;
}

void composeIntoScratch(const BrushApplication& a) {
    if (a.isEmpty()) return;
    compose(a, false, [](int, const FixedVector*) {});
}

void composeAndRender(const BrushApplication& a, const PixelSurface& source, PixelSurface& display) {
    if (a.isEmpty()) return;
    const BilinearSource sample(source, gammaTable());
    Argb* const pixels = display.bits();
    const std::ptrdiff_t width = display.width();
    const warp_detail::RowKernels kernels = warp_detail::rowKernels();
    // The display pixel at (x, y) shows the source at (x, y) plus its new
    // vector; over the cleared square the source's merge writes the sample
    // unchanged, so it is stored directly. Rendering a row right after
    // composing it reads the new vectors while they are still in cache.
    compose(a, true, [&](int t, const FixedVector* vectors) {
        const int y = a.at.y + t;
        // The source row below the two this row reads around its own.
        if (y + 2 < source.height()) prefetchCells(source.row(y + 2) + a.at.x, a.firstColumn, a.lastColumn);
        const warp_detail::RenderRow row{&sample, source.bits(), source.width(), source.height(), a.at.x, y};
        Argb* const out = pixels + y * width;
        switch (kernels) {
            case warp_detail::RowKernels::Avx512:
                warp_detail::renderPixelsAvx512(row, a.firstColumn, a.lastColumn, vectors, out);
                break;
            case warp_detail::RowKernels::Avx2:
                warp_detail::renderPixelsAvx2(row, a.firstColumn, a.lastColumn, vectors, out);
                break;
            case warp_detail::RowKernels::Portable:
                warp_detail::renderPixels(row, a.firstColumn, a.lastColumn, vectors, out);
                break;
        }
    });
}

void copyScratchBack(const BrushApplication& a) {
    if (a.isEmpty()) return;
    for (int t = a.firstRow; t <= a.lastRow; ++t) copyRowBack(a, t, a.scratch.row(t));
}

}  // namespace mugwarp
