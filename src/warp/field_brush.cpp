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

Fixed roundedFixed(double value) {
    const double r = std::floor(value + 0.5);
    return static_cast<Fixed>(std::clamp(r, -2147483648.0, 2147483647.0));
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

void reconstructField(const FieldApplication& a, DisplacementMap& map) {
    if (a.isEmpty()) return;
    forEachShare(a, [&](int t, int s, std::uint32_t share) {
        FixedVector& v = map.row(a.at.y + t)[a.at.x + s];
        const std::uint32_t keep = 65536 - share;
        v = {shrinkTowardsZero(v.x, keep), shrinkTowardsZero(v.y, keep)};
    });
}

void smoothField(const FieldApplication& a, int radius, DisplacementMap& map, std::vector<std::int64_t>& sums) {
    if (a.isEmpty()) return;
    radius = std::max(radius, 1);
    const int width = map.width();
    const int height = map.height();
    const int x0 = a.at.x + a.firstColumn;
    const int x1 = a.at.x + a.lastColumn;
    const int y0 = a.at.y + a.firstRow;
    const int y1 = a.at.y + a.lastRow;
    const int columns = x1 - x0 + 1;
    const int rowsAbove = std::max(0, y0 - radius);
    const int rowsBelow = std::min(height - 1, y1 + radius);
    const int sumRows = rowsBelow - rowsAbove + 1;
    // Row sums of every row the vertical windows reach, two per column, then
    // one running column sum: every mean is read from the map as it was.
    sums.resize(static_cast<std::size_t>(sumRows + 1) * columns * 2);
    std::int64_t* const rowSums = sums.data();
    std::int64_t* const columnSums = sums.data() + static_cast<std::size_t>(sumRows) * columns * 2;
    for (int y = rowsAbove; y <= rowsBelow; ++y) {
        const FixedVector* cells = map.row(y);
        std::int64_t* out = rowSums + static_cast<std::size_t>(y - rowsAbove) * columns * 2;
        std::int64_t sx = 0;
        std::int64_t sy = 0;
        for (int x = std::max(0, x0 - radius); x <= std::min(width - 1, x0 + radius); ++x) {
            sx += cells[x].x;
            sy += cells[x].y;
        }
        for (int x = x0; x <= x1; ++x) {
            out[2 * (x - x0)] = sx;
            out[2 * (x - x0) + 1] = sy;
            if (x + radius + 1 < width) {
                sx += cells[x + radius + 1].x;
                sy += cells[x + radius + 1].y;
            }
            if (x - radius >= 0) {
                sx -= cells[x - radius].x;
                sy -= cells[x - radius].y;
            }
        }
    }
    std::fill(columnSums, columnSums + static_cast<std::size_t>(columns) * 2, 0);
    for (int y = std::max(0, y0 - radius); y <= std::min(height - 1, y0 + radius); ++y) {
        const std::int64_t* in = rowSums + static_cast<std::size_t>(y - rowsAbove) * columns * 2;
        for (int i = 0; i < columns * 2; ++i) columnSums[i] += in[i];
    }
    std::vector<double> inverseColumnCounts(static_cast<std::size_t>(columns));
    for (int x = x0; x <= x1; ++x) inverseColumnCounts[static_cast<std::size_t>(x - x0)] = 1.0 / windowCount(x, radius, width);

    const auto smoothRow = [&](int t) {
        const int y = a.at.y + t;
        const double inverseRows = 1.0 / windowCount(y, radius, height);
        FixedVector* cells = map.row(y);
        const std::uint32_t* w = a.weights.row(t);
        const std::uint8_t* mask = a.freeze != nullptr && a.freeze->width() > 0 ? a.freeze->row(y) + a.at.x : nullptr;
        const ColumnSpan span = a.weights.spans[static_cast<std::size_t>(t)];
        for (int s = std::max(span.first, a.firstColumn); s <= std::min(span.last, a.lastColumn); ++s) {
            if (w[s] == 0) continue;
            const std::uint32_t share = shareOf(w[s], a.strength, mask != nullptr ? mask + s : nullptr);
            if (share == 0) continue;
            const int i = a.at.x + s - x0;
            const double inverse = inverseRows * inverseColumnCounts[static_cast<std::size_t>(i)];
            const double part = share / 65536.0;
            FixedVector& v = cells[a.at.x + s];
            const double meanX = static_cast<double>(columnSums[2 * i]) * inverse;
            const double meanY = static_cast<double>(columnSums[2 * i + 1]) * inverse;
            v = {static_cast<Fixed>(v.x + roundedFixed((meanX - v.x) * part)),
                 static_cast<Fixed>(v.y + roundedFixed((meanY - v.y) * part))};
        }
    };
    // Every row sum is taken before any cell is written, so no write can
    // feed into a later mean.
    for (int t = a.firstRow; t <= a.lastRow; ++t) {
        const int y = a.at.y + t;
        smoothRow(t);
        // Slide the column window down one row.
        if (y + radius + 1 <= rowsBelow) {
            const std::int64_t* in = rowSums + static_cast<std::size_t>(y + radius + 1 - rowsAbove) * columns * 2;
            for (int i = 0; i < columns * 2; ++i) columnSums[i] += in[i];
        }
        if (y - radius >= rowsAbove) {
            const std::int64_t* out = rowSums + static_cast<std::size_t>(y - radius - rowsAbove) * columns * 2;
            for (int i = 0; i < columns * 2; ++i) columnSums[i] -= out[i];
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

bool freezeMesh(const DisplacementMap& mesh, const ByteMap& mask, PixelPoint at, const Rect& clip, DisplacementMap& out) {
    if (clip.isEmpty() || mask.width() == 0) return false;
    bool any = false;
    for (int t = clip.top; t < clip.bottom && !any; ++t) {
        const std::uint8_t* m = mask.row(at.y + t) + at.x;
        any = std::any_of(m + clip.left, m + clip.right, [](std::uint8_t f) { return f != 0; });
    }
    if (!any) return false;
    const auto& unfrozen = unfrozenShares();
    for (int t = clip.top; t < clip.bottom; ++t) {
        const std::uint8_t* m = mask.row(at.y + t) + at.x;
        const FixedVector* in = mesh.row(t);
        FixedVector* cells = out.row(t);
        for (int s = clip.left; s < clip.right; ++s) {
            const std::int64_t keep = unfrozen[m[s]];
            cells[s] = {static_cast<Fixed>((in[s].x * keep) >> 16), static_cast<Fixed>((in[s].y * keep) >> 16)};
        }
    }
    return true;
}

}  // namespace mugwarp
