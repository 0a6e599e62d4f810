#include <gtest/gtest.h>

#include <climits>

#include "raster/cell_storage.h"
#include "raster/displacement_map.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

void fillPattern(DisplacementMap& map) {
    for (int y = 0; y < map.height(); ++y)
        for (int x = 0; x < map.width(); ++x) map.setVector(x, y, {toFixed(x + 1), toFixed(-(y + 1))});
}

TEST(DisplacementMapTest, SameSizeKeepsVectorsAndNewSizeZeroes) {
    DisplacementMap map(100, 100);
    fillPattern(map);
    map.setSize(100, 100);
    EXPECT_EQ(map.vector(99, 99), (FixedVector{toFixed(100), toFixed(-100)}));

    map.setSize(101, 100);
    map.setSize(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(map.vector(x, y), FixedVector{}) << x << "," << y;
}

// Maps large enough to come from fresh pages and small ones from reused
// memory read all zero after each way back to the identity: a clear, a
// quarter turn (the same cell count), and a clear when memory has run out.
TEST(DisplacementMapTest, EveryWayBackToZeroReadsZeroEverywhere) {
    enum class Way { Clear, QuarterTurn, ClearWithoutMemory };
    for (const auto& [w, h] : {std::pair{37, 23}, std::pair{2100, 1900}}) {
        for (const Way way : {Way::Clear, Way::QuarterTurn, Way::ClearWithoutMemory}) {
            SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + ", way " + std::to_string(int(way)));
            DisplacementMap map(w, h);
            fillPattern(map);
            if (way == Way::QuarterTurn) {
                map.setSize(h, w);
            } else {
                failAllocationsAfter(way == Way::ClearWithoutMemory ? 0 : -1);
                map.clear();
                failAllocationsAfter(-1);
            }
            for (int y = 0; y < map.height(); ++y)
                for (int x = 0; x < map.width(); ++x) ASSERT_EQ(map.vector(x, y), FixedVector{}) << x << "," << y;
        }
    }
}

TEST(DisplacementMapTest, NegativeSizesCountAsZero) {
    DisplacementMap map(3, 3);
    map.setSize(-5, 4);
    EXPECT_EQ(map.width(), 0);
    EXPECT_EQ(map.height(), 4);
}

TEST(DisplacementMapTest, HugeSizesFailCleanlyAndKeepTheOldMap) {
    DisplacementMap map(4, 3);
    fillPattern(map);
    for (auto [w, h] : {std::pair{100000, 100000}, std::pair{INT_MAX, INT_MAX}, std::pair{INT_MAX, 2}}) {
        try {
            map.setSize(w, h);
            FAIL() << "no error for " << w << " x " << h;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Can't allocate VectorMap!");
        }
    }
    EXPECT_EQ(map.width(), 4);
    EXPECT_EQ(map.height(), 3);
    EXPECT_EQ(map.vector(3, 2), (FixedVector{toFixed(4), toFixed(-3)}));
}

TEST(DisplacementMapTest, SetSizeFromOtherObjects) {
    DisplacementMap map;
    map.setSizeFrom(PixelSurface(7, 5));
    EXPECT_EQ(map.bounds(), (Rect{0, 0, 7, 5}));
    ByteMap mask;
    mask.setSizeFrom(map);
    EXPECT_EQ(mask.bounds(), (Rect{0, 0, 7, 5}));
    DisplacementMap other;
    other.setSizeFrom(mask);
    EXPECT_EQ(other.bounds(), (Rect{0, 0, 7, 5}));
}

TEST(DisplacementMapTest, SafeGetReadsZeroOutside) {
    DisplacementMap map(3, 2);
    fillPattern(map);
    EXPECT_EQ(map.vectorSafe(-1, 0), FixedVector{});
    EXPECT_EQ(map.vectorSafe(3, 0), FixedVector{});
    EXPECT_EQ(map.vectorSafe(0, 2), FixedVector{});
    EXPECT_EQ(map.vectorSafe(0, -1), FixedVector{});
    EXPECT_EQ(map.vectorSafe(2, 1), (FixedVector{toFixed(3), toFixed(-2)}));
}

TEST(DisplacementMapTest, FixedVectorInterpolates) {
    DisplacementMap map(3, 3);
    map.setVector(0, 0, {toFixed(0), toFixed(8)});
    map.setVector(1, 0, {toFixed(4), toFixed(8)});
    map.setVector(0, 1, {toFixed(8), toFixed(0)});
    map.setVector(1, 1, {toFixed(12), toFixed(0)});
    // Whole-pixel positions give the cell itself.
    EXPECT_EQ(map.fixedVector(toFixed(1), toFixed(0)), (FixedVector{toFixed(4), toFixed(8)}));
    // Quarter of the way right, half way down: x = 1 + 4 * 0.5, y = 8 * 0.5.
    EXPECT_EQ(map.fixedVector(16384, 32768), (FixedVector{toFixed(5), toFixed(4)}));
}

TEST(DisplacementMapTest, FixedVectorAtTheLastColumnInterpolatesTowardsZero) {
    DisplacementMap map(2, 1);
    map.setVector(0, 0, {toFixed(2), toFixed(2)});
    map.setVector(1, 0, {toFixed(8), toFixed(-8)});
    EXPECT_EQ(map.fixedVector(toFixed(1), 0), (FixedVector{toFixed(8), toFixed(-8)}));
    EXPECT_EQ(map.fixedVector(toFixed(1) + kFixedHalf, 0), (FixedVector{toFixed(4), toFixed(-4)}));
    // Below the only row, the lower neighbours are zero too.
    EXPECT_EQ(map.fixedVector(0, kFixedHalf), (FixedVector{toFixed(1), toFixed(1)}));
    // Left of the map, the right neighbour is the first cell.
    EXPECT_EQ(map.fixedVector(-kFixedHalf, 0), (FixedVector{toFixed(1), toFixed(1)}));
    EXPECT_EQ(map.fixedVector(toFixed(-2), 0), FixedVector{});
}

TEST(DisplacementMapTest, FixedVectorSurvivesExtremeValues) {
    DisplacementMap map(2, 2);
    map.setVector(0, 0, {INT_MIN, INT_MAX});
    map.setVector(1, 0, {INT_MAX, INT_MIN});
    const FixedVector v = map.fixedVector(kFixedHalf, 0);
    // Half way between the two ends of the range, rounded down, either way round.
    EXPECT_EQ(v, (FixedVector{-1, -1}));
    EXPECT_EQ(map.fixedVector(INT_MAX, INT_MAX), FixedVector{});
    EXPECT_EQ(map.fixedVector(INT_MIN, INT_MIN), FixedVector{});
}

TEST(ByteMapTest, SizeRuleAndFill) {
    ByteMap mask(4, 2);
    mask.fill(255);
    mask.setSize(4, 2);
    EXPECT_EQ(mask.value(3, 1), 255);
    mask.setSize(5, 2);
    EXPECT_EQ(mask.value(4, 1), 0);
    try {
        mask.setSize(INT_MAX, INT_MAX);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Can't allocate ByteMap!");
    }
    EXPECT_EQ(mask.width(), 5);
}

}  // namespace
}  // namespace mugwarp
