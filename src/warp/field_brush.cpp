#include "warp/field_brush.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace mugwarp {

namespace {

// The part of a cell that is not frozen, in 16.16: 65536 for 0, 0 for 255.
const std::array<std::uint32_t, 256>& unfrozenShares() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (int f = 0; f < 256; ++f) t[f] = static_cast<std::uint32_t>((255 - f) * 65536 / 255);
        return t;
    }();
    return table;
}

std::uint32_t shareOf(std::uint32_t weight, std::uint32_t strength, const std::uint8_t* frozen) {
    std::uint32_t share = static_cast<std::uint32_t>((std::uint64_t{weight} * strength) >> 16);
    if (share == 0 && strength != 0) share = 1;
    if (frozen != nullptr) share = static_cast<std::uint32_t>((std::uint64_t{share} * unfrozenShares()[*frozen]) >> 16);
    return share;
}

// Visits every cell of the application whose share is not zero, row by row:
// visit(t, s, share).
template <class Visit>
void forEachShare(const FieldApplication& a, Visit visit) {
    const bool frozen = a.freeze != nullptr && a.freeze->width() > 0;
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        const ColumnSpan span = a.weights.spans[static_cast<std::size_t>(t)];
        const int first = std::max(span.first, a.firstColumn);
        const int last = std::min(span.last, a.lastColumn);
        const std::uint32_t* w = a.weights.row(t);
        const std::uint8_t* mask = frozen ? a.freeze->row(a.at.y + t) + a.at.x : nullptr;
        for (int s = first; s <= last; ++s) {
            if (w[s] == 0) continue;
            const std::uint32_t share = shareOf(w[s], a.strength, mask != nullptr ? mask + s : nullptr);
            if (share != 0) visit(t, s, share);
        }
    }
}

Fixed shrinkTowardsZero(Fixed v, std::uint32_t keep) {
    const std::int64_t magnitude = (std::llabs(static_cast<std::int64_t>(v)) * keep) >> 16;
    return static_cast<Fixed>(v < 0 ? -magnitude : magnitude);
}

// Cells of [from - radius, from + radius] inside [0, limit).
int windowCount(int from, int radius, int limit) {
    return std::min(limit - 1, from + radius) - std::max(0, from - radius) + 1;
}

// Nearest, halves away from zero; a plain conversion instead of a library
// call, as this runs twice per cell. The moves are far inside the range.
Fixed roundedFixed(double value) {
    return static_cast<Fixed>(static_cast<std::int64_t>(value + (value < 0 ? -0.5 : 0.5)));
}

}  // namespace

BrushWeights buildBrushWeights(const WarpBrush& brush, int size) {
    BrushWeights out;
    out.size = size;
    out.cells.assign(static_cast<std::size_t>(size) * size, 0);
    out.spans.assign(static_cast<std::size_t>(size), ColumnSpan{0, -1});
    if (size < 2) return out;
    // The same brush coordinates as the meshes: corner cells at -1 and 1.
    const float step = 2.0f / static_cast<float>(size - 1);
    for (int t = 0; t < size; ++t) {
        const float y = static_cast<float>(t) * step - 1.0f;
        std::uint32_t* row = out.cells.data() + static_cast<std::size_t>(t) * size;
        ColumnSpan span{size, -1};
        for (int s = 0; s < size; ++s) {
            const float x = static_cast<float>(s) * step - 1.0f;
            const double w = static_cast<double>(brush.weight(x, y));
            row[s] = static_cast<std::uint32_t>(std::clamp(std::nearbyint(w * 65536.0), 0.0, 65536.0));
            if (row[s] != 0) {
                span.first = std::min(span.first, s);
                span.last = s;
            }
        }
        out.spans[static_cast<std::size_t>(t)] = span;
    }
    return out;
}

void reconstructField(const FieldApplication& a, DisplacementMap& map, const RowDone& rowDone) {
    if (a.isEmpty()) return;
    const bool frozen = a.freeze != nullptr && a.freeze->width() > 0;
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        const ColumnSpan span = a.weights.spans[static_cast<std::size_t>(t)];
        const int first = std::max(span.first, a.firstColumn);
        const int last = std::min(span.last, a.lastColumn);
        if (first > last) continue;
        const std::uint32_t* w = a.weights.row(t);
        const std::uint8_t* mask = frozen ? a.freeze->row(a.at.y + t) + a.at.x : nullptr;
        FixedVector* cells = map.row(a.at.y + t) + a.at.x;
        for (int s = first; s <= last; ++s) {
            if (w[s] == 0) continue;
            const std::uint32_t keep = 65536 - shareOf(w[s], a.strength, mask != nullptr ? mask + s : nullptr);
            cells[s] = {shrinkTowardsZero(cells[s].x, keep), shrinkTowardsZero(cells[s].y, keep)};
        }
        rowDone(a.at.y + t, a.at.x + first, a.at.x + last);
    }
}

void smoothField(const FieldApplication& a, int radius, DisplacementMap& map, std::vector<std::int64_t>& sums,
                 const RowDone& rowDone) {
    if (a.isEmpty()) return;
    radius = std::max(radius, 1);
    const int width = map.width();
    const int height = map.height();
    const int x0 = a.at.x + a.firstColumn;
    const int x1 = a.at.x + a.lastColumn;
    const int y0 = a.at.y + a.firstRow;
    const int columns = x1 - x0 + 1;
    const std::size_t stride = static_cast<std::size_t>(columns) * 2;
    // Row sums (x and y of each window of 2 radius + 1 columns) for the rows
    // the vertical window holds, in a ring of 2 radius + 2 rows that stays in
    // cache, and their running sum down each column. A row's sum is taken as
    // it enters the window, before the row is written: every mean reads the
    // map as it was.
    const int ring = 2 * radius + 2;
    sums.resize(static_cast<std::size_t>(ring + 1) * stride);
    std::int64_t* const columnSums = sums.data() + static_cast<std::size_t>(ring) * stride;
    const auto slot = [&](int y) { return sums.data() + static_cast<std::size_t>(y % ring) * stride; };
    const auto takeRowSums = [&](int y) {
        const FixedVector* cells = map.row(y);
        std::int64_t* out = slot(y);
        std::int64_t sx = 0;
        std::int64_t sy = 0;
        for (int x = std::max(0, x0 - radius); x <= std::min(width - 1, x0 + radius); ++x) {
            sx += cells[x].x;
            sy += cells[x].y;
        }
        for (int i = 0; i < columns; ++i) {
            const int x = x0 + i;
            out[2 * i] = sx;
            out[2 * i + 1] = sy;
            if (x + radius + 1 < width) {
                sx += cells[x + radius + 1].x;
                sy += cells[x + radius + 1].y;
            }
            if (x - radius >= 0) {
                sx -= cells[x - radius].x;
                sy -= cells[x - radius].y;
            }
        }
    };
    const auto addRow = [&](int y, int sign) {
        const std::int64_t* in = slot(y);
        for (std::size_t i = 0; i < stride; ++i) columnSums[i] += sign * in[i];
    };
    std::fill(columnSums, columnSums + stride, 0);
    for (int y = std::max(0, y0 - radius); y <= std::min(height - 1, y0 + radius); ++y) {
        takeRowSums(y);
        addRow(y, 1);
    }
    std::vector<double> inverseColumnCounts(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) inverseColumnCounts[static_cast<std::size_t>(i)] = 1.0 / windowCount(x0 + i, radius, width);
    const bool frozen = a.freeze != nullptr && a.freeze->width() > 0;
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        const int y = a.at.y + t;
        const ColumnSpan span = a.weights.spans[static_cast<std::size_t>(t)];
        const int first = std::max(span.first, a.firstColumn);
        const int last = std::min(span.last, a.lastColumn);
        if (first <= last) {
            const double inverseRows = 1.0 / windowCount(y, radius, height);
            FixedVector* cells = map.row(y) + a.at.x;
            const std::uint32_t* w = a.weights.row(t);
            const std::uint8_t* mask = frozen ? a.freeze->row(y) + a.at.x : nullptr;
            const std::int64_t* sumsAt = columnSums + 2 * static_cast<std::size_t>(a.at.x - x0);
            const double* inverseAt = inverseColumnCounts.data() + (a.at.x - x0);
            for (int s = first; s <= last; ++s) {
                // A zero weight gives a zero share and leaves the cell as it is.
                const std::uint32_t share = shareOf(w[s], a.strength, mask != nullptr ? mask + s : nullptr) &
                                            (w[s] != 0 ? ~0u : 0u);
                const double unit = share * (1.0 / 65536.0);
                const double part = unit * inverseRows * inverseAt[s];
                FixedVector& v = cells[s];
                v = {v.x + roundedFixed(static_cast<double>(sumsAt[2 * s]) * part - v.x * unit),
                     v.y + roundedFixed(static_cast<double>(sumsAt[2 * s + 1]) * part - v.y * unit)};
            }
            rowDone(y, a.at.x + first, a.at.x + last);
        }
        // Slide the window down one row.
        if (y - radius >= 0) addRow(y - radius, -1);
        if (y + radius + 1 < height) {
            takeRowSums(y + radius + 1);
            addRow(y + radius + 1, 1);
        }
    }
}

void paintFreezeMask(const FieldApplication& a, bool thaw, ByteMap& mask) {
    if (a.isEmpty()) return;
    FieldApplication unmasked = a;
    unmasked.freeze = nullptr;
    forEachShare(unmasked, [&](int t, int s, std::uint32_t share) {
        std::uint8_t& m = mask.row(a.at.y + t)[a.at.x + s];
        const std::uint32_t room = thaw ? m : 255u - m;
        const auto step = static_cast<int>((std::uint64_t{room} * share + 65535) >> 16);
        m = static_cast<std::uint8_t>(thaw ? m - step : m + step);
    });
}

}  // namespace mugwarp
