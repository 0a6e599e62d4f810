// The fast mesh construction against the direct one it replaced: every cell
// through atan2, cos and sin, and the brush weight evaluated at every cell.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "warp/brush_meshes.h"
#include "warp/kernel_choice.h"
#include "canvas_fixture.h"

namespace mugwarp {
namespace {

float coordinate(int i, float step) { return static_cast<float>(i) * step - 1.0f; }

void directPutty(const WarpBrush& brush, DisplacementMap& mesh) {
    const int size = mesh.width();
    const float step = 2.0f / static_cast<float>(size - 1);
    for (int p = 0; p < size; ++p) {
        for (int q = 0; q < size; ++q) {
            const Fixed w = toFixed(brush.weight(coordinate(q, step), coordinate(p, step)));
            mesh.setVector(q, p, {w, w});
        }
    }
}

void directPolar(WarpTool tool, const WarpBrush& brush, std::array<DisplacementMap, 2>& meshes) {
    const int size = meshes[0].width();
    const float step = 2.0f / static_cast<float>(size - 1);
    const double k = toolParameter(tool);
    const double span = size - 1;
    for (int p = 0; p < size; ++p) {
        for (int q = 0; q < size; ++q) {
            const float x = coordinate(q, step);
            const float y = coordinate(p, step);
            const float w = brush.weight(x, y);
            const auto r0 = static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
            const auto theta0 = static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
            for (int m = 0; m < 2; ++m) {
                const double sign = m == 0 ? 1.0 : -1.0;
                float r = r0;
                float theta = theta0;
                if (tool == WarpTool::Warp) {
                    r = static_cast<float>(r0 - sign * (1.0 - (1.0 - static_cast<double>(r0)) * k) * 0.1);
                } else {
                    theta = static_cast<float>(theta0 + sign * k);
                }
                const auto x2 = static_cast<float>(r * std::cos(static_cast<double>(theta)));
                const auto y2 = static_cast<float>(r * std::sin(static_cast<double>(theta)));
                const auto dx = static_cast<float>((x2 + 1.0) * span * 0.5 - q);
                const auto dy = static_cast<float>((y2 + 1.0) * span * 0.5 - p);
                meshes[m].setVector(q, p, {toFixed(dx * w), toFixed(dy * w)});
            }
        }
    }
}

// Largest difference of any component of any cell, in units of the last bit.
Fixed largestDifference(const DisplacementMap& a, const DisplacementMap& b) {
    Fixed largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            largest = std::max({largest, std::abs(a.vector(x, y).x - b.vector(x, y).x),
                                std::abs(a.vector(x, y).y - b.vector(x, y).y)});
        }
    }
    return largest;
}

TEST(BrushMeshesReference, EveryCellWithinOneUnitOfTheDirectConstruction) {
    const WarpTool tools[] = {WarpTool::Putty, WarpTool::Warp, WarpTool::Twirl};
    const int sizes[] = {5, 6, 7, 64, 101, 333, 500};
    const int effects[] = {-100, -99, -37, 0, 1, 62, 100};
    for (const WarpTool tool : tools) {
        for (const int size : sizes) {
            for (const int effect : effects) {
                // The reference is slow: the largest size with the common effects only.
                if (size == 500 && effect != 0 && effect != 62) continue;
                WarpBrush brush;
                brush.setPressure(toolPressure(tool));
                brush.setFeather(0.5);
                brush.setPinch(effect / 100.0);
                std::array<DisplacementMap, 2> fast{DisplacementMap(size, size), DisplacementMap(size, size)};
                std::array<DisplacementMap, 2> direct{DisplacementMap(size, size), DisplacementMap(size, size)};
                // The portable rows must give the very bits of the wide ones.
                std::array<DisplacementMap, 2> portable{DisplacementMap(size, size), DisplacementMap(size, size)};
                {
                    const testing::KernelChoice portableRows(warp_detail::RowKernels::Portable);
                    buildBrushMeshes(tool, brush, portable);
                }
                buildBrushMeshes(tool, brush, fast);
                if (tool == WarpTool::Putty) {
                    directPutty(brush, direct[0]);
                } else {
                    directPolar(tool, brush, direct);
                }
                const int meshes = tool == WarpTool::Putty ? 1 : 2;
                for (int m = 0; m < meshes; ++m) {
                    EXPECT_EQ(largestDifference(fast[m], portable[m]), 0);
                    EXPECT_LE(largestDifference(fast[m], direct[m]), 1)
                        << "tool " << static_cast<int>(tool) << " size " << size << " effect " << effect << " mesh " << m;
                }
            }
        }
    }
}

}  // namespace
}  // namespace mugwarp
