#include "warp/brush_meshes.h"

#include <cmath>

namespace mugwarp {

namespace {

// Brush coordinate of mesh column or row i: the corner cells lie at -1 and 1.
inline float brushCoordinate(int i, float step) { return static_cast<float>(i) * step - 1.0f; }

void fillPutty(const WarpBrush& brush, DisplacementMap& mesh) {
    const int size = mesh.width();
    const float step = 2.0f / static_cast<float>(size - 1);
    for (int p = 0; p < size; ++p) {
        const float y = brushCoordinate(p, step);
        FixedVector* cells = mesh.row(p);
        for (int q = 0; q < size; ++q) {
            const Fixed w = toFixed(brush.weight(brushCoordinate(q, step), y));
            cells[q] = {w, w};
        }
    }
}

// The polar operation of a tool and button on a brush point (r, theta).
void movePolar(WarpTool tool, int meshIndex, float k, float& r, float& theta) {
    const double sign = meshIndex == 0 ? 1.0 : -1.0;
    if (tool == WarpTool::Warp) {
        // Moves a point by (0.01 + 0.09 r) of the radius: inwards on the left
        // button, which enlarges, outwards on the right, which shrinks.
        const double pull = (1.0 - (1.0 - static_cast<double>(r)) * static_cast<double>(k)) * 0.1;
        r = static_cast<float>(static_cast<double>(r) - sign * pull);
    } else {
        theta = static_cast<float>(static_cast<double>(theta) + sign * static_cast<double>(k));
    }
}

// Both meshes in one sweep: the weight and the polar coordinates of a cell
// are the same for the two buttons.
void fillPolar(WarpTool tool, const WarpBrush& brush, DisplacementMap& left, DisplacementMap& right) {
    const int size = left.width();
    const float step = 2.0f / static_cast<float>(size - 1);
    const float k = toolParameter(tool);
    const double span = static_cast<double>(size - 1);
    for (int p = 0; p < size; ++p) {
        const float y = brushCoordinate(p, step);
        FixedVector* cells[2] = {left.row(p), right.row(p)};
        for (int q = 0; q < size; ++q) {
            const float x = brushCoordinate(q, step);
            const float w = brush.weight(x, y);
            const float r0 = static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
            const float theta0 = static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
            for (int mesh = 0; mesh < 2; ++mesh) {
                float r = r0;
                float theta = theta0;
                movePolar(tool, mesh, k, r, theta);
                const float x2 = static_cast<float>(static_cast<double>(r) * std::cos(static_cast<double>(theta)));
                const float y2 = static_cast<float>(static_cast<double>(r) * std::sin(static_cast<double>(theta)));
                const float dx = static_cast<float>((static_cast<double>(x2) + 1.0) * span * 0.5 - q);
                const float dy = static_cast<float>((static_cast<double>(y2) + 1.0) * span * 0.5 - p);
                cells[mesh][q] = {toFixed(dx * w), toFixed(dy * w)};
            }
        }
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
