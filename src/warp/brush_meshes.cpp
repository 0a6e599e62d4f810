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

void fillPolar(WarpTool tool, int meshIndex, const WarpBrush& brush, DisplacementMap& mesh) {
    const int size = mesh.width();
    const float step = 2.0f / static_cast<float>(size - 1);
    const float k = toolParameter(tool);
    const double span = static_cast<double>(size - 1);
    for (int p = 0; p < size; ++p) {
        const float y = brushCoordinate(p, step);
        FixedVector* cells = mesh.row(p);
        for (int q = 0; q < size; ++q) {
            const float x = brushCoordinate(q, step);
            const float w = brush.weight(x, y);
            float r = static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
            float theta = static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
            movePolar(tool, meshIndex, k, r, theta);
            const float x2 = static_cast<float>(static_cast<double>(r) * std::cos(static_cast<double>(theta)));
            const float y2 = static_cast<float>(static_cast<double>(r) * std::sin(static_cast<double>(theta)));
            const float dx = static_cast<float>((static_cast<double>(x2) + 1.0) * span * 0.5 - q);
            const float dy = static_cast<float>((static_cast<double>(y2) + 1.0) * span * 0.5 - p);
            cells[q] = {toFixed(dx * w), toFixed(dy * w)};
        }
    }
}

}  // namespace

void buildBrushMeshes(WarpTool tool, const WarpBrush& brush, std::array<DisplacementMap, 2>& meshes) {
    if (tool == WarpTool::Putty) {
        fillPutty(brush, meshes[0]);
        return;
    }
    fillPolar(tool, 0, brush, meshes[0]);
    fillPolar(tool, 1, brush, meshes[1]);
}

}  // namespace mugwarp
