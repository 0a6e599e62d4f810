#include "warp/deformed_grid.h"

#include <gtest/gtest.h>

namespace mugwarp {
namespace {

// The mesh's points go where the picture's points are shown: for a shift of
// the whole field, by the shift the other way; on an identity field, nowhere.
TEST(ShownPosition, InvertsTheDeformationAndLeavesTheIdentityAlone) {
    DisplacementMap map(64, 64);
    EXPECT_DOUBLE_EQ(shownPosition(map, {10.5, 20.25}).x, 10.5);
    EXPECT_DOUBLE_EQ(shownPosition(map, {10.5, 20.25}).y, 20.25);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) map.setVector(x, y, {toFixed(3), toFixed(-2)});
    const GridPoint p = shownPosition(map, {30, 30});
    EXPECT_DOUBLE_EQ(p.x, 27);
    EXPECT_DOUBLE_EQ(p.y, 32);
    // Between cells the vector is interpolated, so the mesh bends smoothly.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) map.setVector(x, y, {toFixed(x * 0.5), 0});
    EXPECT_NEAR(shownPosition(map, {33.5, 10}).x, 33.5 - 16.75, 1e-4);
    EXPECT_NEAR(shownPosition(map, {33.25, 10}).x, 33.25 - 16.625, 1e-4);
    // Far outside the map, and with hostile coordinates, nothing moves or breaks.
    EXPECT_DOUBLE_EQ(shownPosition(map, {-5000, 9}).x, -5000);
    EXPECT_DOUBLE_EQ(shownPosition(map, {1e12, 9}).x, 1e12);
}

}  // namespace
}  // namespace mugwarp
