#include <gtest/gtest.h>

#include "raster/displacement_map.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

// 3 wide, 2 high, each pixel naming its own position.
PixelSurface numbered() {
    PixelSurface s(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) s.setPixel(x, y, Argb(0xFF000000u | (y << 8) | x));
    return s;
}

Argb at(int x, int y) { return Argb(0xFF000000u | (y << 8) | x); }

TEST(RotationTest, ClockwiseSwapsTheSize) {
    const PixelSurface s = numbered();
    PixelSurface t;
    s.rotate90ClockwiseInto(t);
    ASSERT_EQ(t.bounds(), (Rect{0, 0, 2, 3}));
    // Source (x, y) lands on (height - 1 - y, x).
    EXPECT_EQ(t.pixel(1, 0), at(0, 0));
    EXPECT_EQ(t.pixel(0, 0), at(0, 1));
    EXPECT_EQ(t.pixel(1, 2), at(2, 0));
    EXPECT_EQ(t.pixel(0, 2), at(2, 1));
}

TEST(RotationTest, CounterClockwiseSwapsTheSize) {
    const PixelSurface s = numbered();
    PixelSurface t;
    s.rotate90CounterClockwiseInto(t);
    ASSERT_EQ(t.bounds(), (Rect{0, 0, 2, 3}));
    // Source (x, y) lands on (y, width - 1 - x).
    EXPECT_EQ(t.pixel(0, 2), at(0, 0));
    EXPECT_EQ(t.pixel(1, 2), at(0, 1));
    EXPECT_EQ(t.pixel(0, 0), at(2, 0));
    EXPECT_EQ(t.pixel(1, 1), at(1, 1));
}

TEST(RotationTest, HalfTurnIntoAnotherSurfaceAndInPlace) {
    const PixelSurface s = numbered();
    PixelSurface t(7, 7);
    s.rotate180Into(t);
    ASSERT_EQ(t.bounds(), s.bounds());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(t.pixel(2 - x, 1 - y), at(x, y));
    t.rotate180();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(t.pixel(x, y), at(x, y));
}

TEST(RotationTest, RotatingIntoItselfAndFourQuarterTurnsRoundTrip) {
    PixelSurface s = numbered();
    s.rotate90ClockwiseInto(s);
    EXPECT_EQ(s.bounds(), (Rect{0, 0, 2, 3}));
    s.rotate90ClockwiseInto(s);
    s.rotate90CounterClockwiseInto(s);
    s.rotate90CounterClockwiseInto(s);
    const PixelSurface original = numbered();
    ASSERT_EQ(s.bounds(), original.bounds());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(s.pixel(x, y), original.pixel(x, y));
}

// A quarter turn reuses the blocks of its cell count: the new shape still starts all zero.
TEST(Rotation, ReshapingToTheSameCellCountStartsFromZero) {
    PixelSurface s(4, 3);
    s.fillRect(s.bounds(), 0xFF123456);
    s.setSize(3, 4);
    EXPECT_EQ(s.width(), 3);
    EXPECT_EQ(s.height(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(s.pixel(x, y), 0u);
    DisplacementMap map(4, 3);
    map.setVector(1, 1, {5, 7});
    map.setSize(3, 4);
    EXPECT_EQ(map.width(), 3);
    EXPECT_EQ(map.vector(1, 1).x, 0);
    EXPECT_EQ(map.vector(1, 1).y, 0);
}

}  // namespace
}  // namespace mugwarp
