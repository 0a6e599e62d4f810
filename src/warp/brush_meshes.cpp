#include "warp/brush_meshes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "warp/kernel_choice.h"

// The row loops are compiled twice, for any x86-64 and for AVX2 (four
// doubles per instruction), and chosen by the processor. Without FMA both
// round every operation alike, so they give the same bits.
#if defined(__x86_64__) && defined(__GNUC__)
#define MUGWARP_MESH_AVX2 __attribute__((target("avx2")))
#define MUGWARP_MESH_INLINE [[gnu::always_inline]] inline
#else
#define MUGWARP_MESH_INLINE inline
#endif

namespace mugwarp {

namespace {

// Brush coordinates of the mesh's columns, which are also those of its rows:
// the corner cells lie at -1 and 1.
std::vector<float> brushCoordinates(int size) {
    const float step = 2.0f / static_cast<float>(size - 1);
    std::vector<float> coordinates(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) coordinates[i] = static_cast<float>(i) * step - 1.0f;
    return coordinates;
}

// toFixed for the small values of a mesh (well inside +-2^15): adding and
// removing 1.5 * 2^52 leaves the double rounded to a whole number, halves to
// even, without a library call.
MUGWARP_MESH_INLINE Fixed meshFixed(float value) {
    constexpr double kRounder = 6755399441055744.0;
    return static_cast<Fixed>((static_cast<double>(value) * 65536.0 + kRounder) - kRounder);
}

// The weight depends on the distance from the centre alone, so it is computed
// for one quadrant, each pair of cells mirrored across its diagonal once
// (their distances are bit for bit the same), and the other quadrants read
// their mirror cell. The coordinates are symmetric only up to rounding, so a
// mirrored weight may differ from a direct one in its last float bits, far
// below the resolution of the fixed-point cells.
class QuadrantWeights {
public:
    QuadrantWeights(const WarpBrush& brush, const std::vector<float>& coordinates)
        : size_(static_cast<int>(coordinates.size())), half_((size_ + 1) / 2),
          weights_(static_cast<std::size_t>(half_) * half_) {
        for (int j = 0; j < half_; ++j) {
            for (int i = 0; i <= j; ++i) {
                const float w = brush.weight(coordinates[i], coordinates[j]);
                weights_[static_cast<std::size_t>(j) * half_ + i] = w;
                weights_[static_cast<std::size_t>(i) * half_ + j] = w;
            }
        }
    }

    // The weights of mesh row p, column by column.
    MUGWARP_MESH_INLINE void row(int p, float* out) const {
        const float* source = weights_.data() + static_cast<std::size_t>(std::min(p, size_ - 1 - p)) * half_;
        std::copy(source, source + half_, out);
        std::reverse_copy(source, source + size_ - half_, out + half_);
    }

private:

    int size_;
    int half_;
    std::vector<float> weights_;
};

void fillPutty(const WarpBrush& brush, DisplacementMap& mesh) {
    const std::vector<float> coordinates = brushCoordinates(mesh.width());
    const QuadrantWeights weights(brush, coordinates);
    std::vector<float> w(coordinates.size());
    for (int p = 0; p < mesh.height(); ++p) {
        weights.row(p, w.data());
        FixedVector* cells = mesh.row(p);
        for (int q = 0; q < mesh.width(); ++q) {
            const Fixed f = meshFixed(w[q]);
            cells[q] = {f, f};
        }
    }
}

// Where a cell lies seen from the brush centre: its distance, rounded to a
// float as the tools take it, and its direction as a unit vector. The
// direction comes from the coordinates themselves instead of an angle: the
// tools' rotations and radial moves then need no trigonometry per cell.
struct PolarRow {
    std::vector<float> radius;
    std::vector<double> cosine;
    std::vector<double> sine;

    explicit PolarRow(std::size_t size) : radius(size), cosine(size), sine(size) {}

    MUGWARP_MESH_INLINE void compute(const std::vector<float>& coordinates, int p) {
        const double y = coordinates[p];
        const int size = static_cast<int>(coordinates.size());
        for (int q = 0; q < size; ++q) {
            const double x = coordinates[q];
            const double distance = std::sqrt(x * x + y * y);
            const double inverse = 1.0 / distance;
            radius[q] = static_cast<float>(distance);
            cosine[q] = x * inverse;
            sine[q] = y * inverse;
        }
        // The very centre, when a cell lies on it, points along the x axis.
        if (y == 0.0) {
            const auto centre = std::find(coordinates.begin(), coordinates.end(), 0.0f);
            if (centre != coordinates.end()) {
                const auto q = static_cast<std::size_t>(centre - coordinates.begin());
                cosine[q] = 1.0;
                sine[q] = 0.0;
            }
        }
    }
};

// One mesh row of a tool's polar operation: the cell goes to the moved brush
// point, back in cells, times the weight.
struct PolarMove {
    WarpTool tool;
    double sign;  // 1 for mesh 0 (left button), -1 for mesh 1
    double k;
    double cosK;
    double sinK;
    double halfSpan;  // (S - 1) / 2

    MUGWARP_MESH_INLINE void fillRow(const PolarRow& polar, const float* w, int p, int size, FixedVector* cells) const {
        const double rowPosition = static_cast<double>(p);
        if (tool == WarpTool::Warp) {
            // r moves by (1 - (1 - r) k) / 10: inwards on the left button,
            // which enlarges, outwards on the right, which shrinks. The moved
            // point stays a double: Warp meshes have always been made so
            // (strokes are pinned to their pixels), while Twirl's is rounded
            // to a float.
            for (int q = 0; q < size; ++q) {
                const double r0 = polar.radius[q];
                const double pull = (1.0 - (1.0 - r0) * k) * 0.1;
                const double r = static_cast<float>(r0 - sign * pull);
                store(r * polar.cosine[q], r * polar.sine[q], q, rowPosition, w[q], cells[q]);
            }
        } else {
            // The angle turns by k: cos and sin of the sum from those of the
            // cell's direction and of k.
            const double signedSinK = sign * sinK;
            for (int q = 0; q < size; ++q) {
                const double r = polar.radius[q];
                const double c = polar.cosine[q];
                const double s = polar.sine[q];
                const double x2 = static_cast<float>(r * (c * cosK - s * signedSinK));
                const double y2 = static_cast<float>(r * (s * cosK + c * signedSinK));
                store(x2, y2, q, rowPosition, w[q], cells[q]);
            }
        }
    }

    MUGWARP_MESH_INLINE void store(double x2, double y2, int q, double rowPosition, float w, FixedVector& cell) const {
        const auto dx = static_cast<float>((x2 + 1.0) * halfSpan - static_cast<double>(q));
        const auto dy = static_cast<float>((y2 + 1.0) * halfSpan - rowPosition);
        cell = {meshFixed(dx * w), meshFixed(dy * w)};
    }
};

struct PolarJob {
    const std::vector<float>& coordinates;
    const QuadrantWeights& weights;
    const PolarMove (&moves)[2];
    DisplacementMap& left;
    DisplacementMap& right;
};

// Both meshes in one sweep: the weight and the polar coordinates of a cell
// are the same for the two buttons.
MUGWARP_MESH_INLINE void fillPolarRows(const PolarJob& job) {
    const int size = job.left.width();
    std::vector<float> w(job.coordinates.size());
    PolarRow polar(job.coordinates.size());
    for (int p = 0; p < size; ++p) {
        job.weights.row(p, w.data());
        polar.compute(job.coordinates, p);
        job.moves[0].fillRow(polar, w.data(), p, size, job.left.row(p));
        job.moves[1].fillRow(polar, w.data(), p, size, job.right.row(p));
    }
}

void fillPolarRowsPortable(const PolarJob& job) { fillPolarRows(job); }

#ifdef MUGWARP_MESH_AVX2
MUGWARP_MESH_AVX2 void fillPolarRowsAvx2(const PolarJob& job) { fillPolarRows(job); }
#else
void fillPolarRowsAvx2(const PolarJob& job) { fillPolarRows(job); }
#endif

void fillPolar(WarpTool tool, const WarpBrush& brush, DisplacementMap& left, DisplacementMap& right) {
    const int size = left.width();
    const std::vector<float> coordinates = brushCoordinates(size);
    const QuadrantWeights weights(brush, coordinates);
    const double k = toolParameter(tool);
    const double halfSpan = static_cast<double>(size - 1) * 0.5;
    const PolarMove moves[2] = {{tool, 1.0, k, std::cos(k), std::sin(k), halfSpan},
                                {tool, -1.0, k, std::cos(k), std::sin(k), halfSpan}};
    const PolarJob job{coordinates, weights, moves, left, right};
    if (warp_detail::rowKernels() != warp_detail::RowKernels::Portable) {
        fillPolarRowsAvx2(job);
    } else {
        fillPolarRowsPortable(job);
    }
}

}  // namespace

void buildBrushMeshes(WarpTool tool, const WarpBrush& brush, std::array<DisplacementMap, 2>& meshes) {
    if (tool == WarpTool::Putty) {
        fillPutty(brush, meshes[0]);
        return;
    }
    fillPolar(tool, brush, meshes[0], meshes[1]);
}

}  // namespace mugwarp
