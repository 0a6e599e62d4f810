#include <gtest/gtest.h>

#include <cmath>

#include "warp/warp_engine.h"

namespace mugwarp {
namespace {

bool allZero(const DisplacementMap& m) {
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            if (!(m.vector(x, y) == FixedVector{})) return false;
    return true;
}

WarpEngine engineFor(WarpTool tool, int size) {
    WarpEngine e;
    e.setSize(size);
    e.setTool(tool);
    return e;
}

TEST(BrushMeshes, StartAsPuttyAtSize100WithTheToolsPressure) {
    const WarpEngine e;
    EXPECT_EQ(e.size(), 100);
    EXPECT_EQ(e.tool(), WarpTool::Putty);
    EXPECT_EQ(e.mesh(0).width(), 100);
    EXPECT_EQ(e.mesh(1).height(), 100);
    EXPECT_EQ(e.brush().pressure(), 0.5f);
    EXPECT_EQ(e.brush().feather(), 0.5f);
    EXPECT_FALSE(allZero(e.mesh(0)));
}

TEST(BrushMeshes, PuttyHoldsTheWeightInBothComponents) {
    const WarpEngine e = engineFor(WarpTool::Putty, 101);
    const DisplacementMap& m = e.mesh(0);
    EXPECT_EQ(m.vector(50, 50), (FixedVector{32768, 32768}));  // weight 0.5 at the centre
    EXPECT_EQ(m.vector(75, 50), (FixedVector{16384, 16384}));  // d = 0.5
    EXPECT_EQ(m.vector(0, 50), FixedVector{});                 // rim
    EXPECT_EQ(m.vector(50, 100), FixedVector{});
    EXPECT_EQ(m.vector(0, 0), FixedVector{});                  // corner
    EXPECT_EQ(m.vector(100, 100), FixedVector{});
}

TEST(BrushMeshes, PuttyLeavesMeshOneAloneUntilTheSizeChanges) {
    WarpEngine e = engineFor(WarpTool::Twirl, 41);
    const FixedVector twirled = e.mesh(1).vector(30, 20);
    ASSERT_NE(twirled, FixedVector{});
    e.setTool(WarpTool::Putty);
    EXPECT_EQ(e.mesh(1).vector(30, 20), twirled);
    e.setSize(43);
    EXPECT_TRUE(allZero(e.mesh(1)));
    EXPECT_FALSE(allZero(e.mesh(0)));
}

TEST(BrushMeshes, WarpPullsInOnTheLeftAndPushesOutOnTheRight) {
    const WarpEngine e = engineFor(WarpTool::Warp, 101);
    EXPECT_EQ(e.brush().pressure(), 0.15f);
    const DisplacementMap& in = e.mesh(0);
    const DisplacementMap& out = e.mesh(1);
    // Even the centre moves: r = 0 goes to -0.01 or +0.01 of the radius
    // (half a cell at size 101), times the weight 0.15.
    EXPECT_NEAR(in.vector(50, 50).x, -0.5 * 0.15 * 65536, 2);
    EXPECT_NEAR(out.vector(50, 50).x, 0.5 * 0.15 * 65536, 2);
    EXPECT_EQ(in.vector(50, 50).y, 0);
    // Right of the centre the left mesh points back to the centre, the right mesh away.
    EXPECT_LT(in.vector(70, 50).x, 0);
    EXPECT_GT(out.vector(70, 50).x, 0);
    EXPECT_GT(in.vector(50, 30).y, 0);  // above the centre: pulled down towards it
    EXPECT_LT(out.vector(50, 30).y, 0);
    // Nothing moves on and beyond the rim.
    EXPECT_EQ(in.vector(0, 50), FixedVector{});
    EXPECT_EQ(out.vector(100, 50), FixedVector{});
    EXPECT_EQ(in.vector(3, 3), FixedVector{});
}

TEST(BrushMeshes, TwirlTurnsBothWaysAndKeepsTheCentreStill) {
    const WarpEngine e = engineFor(WarpTool::Twirl, 101);
    EXPECT_EQ(e.brush().pressure(), 0.5f);
    const DisplacementMap& left = e.mesh(0);
    const DisplacementMap& right = e.mesh(1);
    EXPECT_EQ(left.vector(50, 50), FixedVector{});
    EXPECT_EQ(right.vector(50, 50), FixedVector{});
    // At (0.5, 0): turned by 0.2 rad, 25 cells from the centre, weight 0.25.
    const double expectedDy = 0.5 * std::sin(0.2) * 50 * 0.25;
    const double expectedDx = (0.5 * std::cos(0.2) - 0.5) * 50 * 0.25;
    EXPECT_NEAR(left.vector(75, 50).y / 65536.0, expectedDy, 1e-3);
    EXPECT_NEAR(right.vector(75, 50).y / 65536.0, -expectedDy, 1e-3);
    EXPECT_NEAR(left.vector(75, 50).x / 65536.0, expectedDx, 1e-3);
    EXPECT_NEAR(right.vector(75, 50).x / 65536.0, expectedDx, 1e-3);
    EXPECT_EQ(left.vector(0, 50), FixedVector{});
    EXPECT_EQ(right.vector(50, 0), FixedVector{});
}

TEST(BrushMeshes, EffectRefillsInPlaceAndSizeStartsAfresh) {
    WarpEngine e = engineFor(WarpTool::Putty, 101);
    e.setEffect(100);  // plateau: weight 0.5 out to the rim's soft edge
    EXPECT_EQ(e.mesh(0).vector(75, 50), (FixedVector{32768, 32768}));
    EXPECT_EQ(e.brush().pinch(), 1.0f);
    e.setEffect(-100);  // spike: only the centre cell
    EXPECT_EQ(e.mesh(0).vector(50, 50), (FixedVector{32768, 32768}));
    EXPECT_EQ(e.mesh(0).vector(51, 50), FixedVector{});
    e.setSize(77);
    EXPECT_EQ(e.mesh(0).width(), 77);
    EXPECT_EQ(e.mesh(0).vector(38, 38), (FixedVector{32768, 32768}));
}

TEST(BrushMeshes, SlidersAreClamped) {
    WarpEngine e;
    e.setSize(2);
    EXPECT_EQ(e.size(), 5);
    e.setSize(9000);
    EXPECT_EQ(e.size(), 500);
    e.setEffect(-250);
    EXPECT_EQ(e.effect(), -100);
    EXPECT_EQ(e.brush().pinch(), -1.0f);
    e.setEffect(140);
    EXPECT_EQ(e.effect(), 100);
}

}  // namespace
}  // namespace mugwarp
