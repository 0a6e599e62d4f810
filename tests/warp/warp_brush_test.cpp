#include "warp/warp_brush.h"

#include <gtest/gtest.h>

namespace mugwarp {
namespace {

WarpBrush brush(double pressure, double pinch, double feather) {
    WarpBrush b;
    b.setPressure(pressure);
    b.setPinch(pinch);
    b.setFeather(feather);
    return b;
}

TEST(WarpBrush, StartsAtFullPressureStraightConeNoFeather) {
    const WarpBrush b;
    EXPECT_EQ(b.pressure(), 1.0f);
    EXPECT_EQ(b.pinch(), 0.0f);
    EXPECT_EQ(b.feather(), 0.0f);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.5f), 0.5f);  // 1 - d without rim
}

TEST(WarpBrush, SettersClampToTheirRanges) {
    WarpBrush b;
    b.setPinch(3);
    EXPECT_EQ(b.pinch(), 1.0f);
    b.setPinch(-7.5);
    EXPECT_EQ(b.pinch(), -1.0f);
    b.setPressure(-0.2);
    EXPECT_EQ(b.pressure(), 0.0f);
    b.setPressure(1.5);
    EXPECT_EQ(b.pressure(), 1.0f);
    b.setFeather(2);
    EXPECT_EQ(b.feather(), 1.0f);
    b.setFeather(-1);
    EXPECT_EQ(b.feather(), 0.0f);
    b.setPinch(0.25);
    EXPECT_EQ(b.pinch(), 0.25f);
}

TEST(WarpBrush, ConeWithSoftRimAtTheSamplePoints) {
    const WarpBrush b = brush(0.5, 0.0, 0.5);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(b.weight(0.5f, 0.0f), 0.25f);    // f = 1, p = 0.5
    EXPECT_FLOAT_EQ(b.weight(0.0f, -0.75f), 0.0625f);  // f = 0.5, p = 0.25
    EXPECT_FLOAT_EQ(b.weight(0.6f, 0.8f), 0.0f);     // on the circle
    EXPECT_EQ(b.weight(1.0f, 0.0f), 0.0f);
    EXPECT_EQ(b.weight(-1.0f, -1.0f), 0.0f);  // square corner, outside the disc
}

TEST(WarpBrush, FullPinchIsAPlateauShapedOnlyByTheFeather) {
    const WarpBrush b = brush(0.5, 1.0, 0.5);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(b.weight(0.3f, 0.0f), 0.5f);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.75f), 0.25f);  // rim: f = 0.5
    EXPECT_EQ(b.weight(0.0f, 1.0f), 0.0f);
}

TEST(WarpBrush, FullNegativePinchLeavesOnlyTheCentre) {
    const WarpBrush b = brush(0.5, -1.0, 0.5);
    EXPECT_FLOAT_EQ(b.weight(0.0f, 0.0f), 0.5f);
    EXPECT_EQ(b.weight(0.01f, 0.0f), 0.0f);
    EXPECT_EQ(b.weight(0.0f, -0.3f), 0.0f);
}

TEST(WarpBrush, IntermediatePinchesBendTheCone) {
    // pinch 0.5: e = 2, p = (1 - d^2)^(1/2)
    EXPECT_NEAR(brush(1.0, 0.5, 0.0).weight(0.6f, 0.0f), 0.8f, 1e-6);
    // pinch -0.5: e = 0.5, p = (1 - d^0.5)^2
    EXPECT_NEAR(brush(1.0, -0.5, 0.0).weight(0.25f, 0.0f), 0.25f, 1e-6);
    // Stronger pinch keeps more weight at the same distance.
    EXPECT_GT(brush(1.0, 0.8, 0.0).weight(0.5f, 0.0f), brush(1.0, 0.2, 0.0).weight(0.5f, 0.0f));
}

TEST(WarpBrush, WeightNeverLeavesTheUnitRange) {
    const WarpBrush b = brush(1.0, 0.3, 0.1);
    for (float x = -1.2f; x <= 1.2f; x += 0.05f) {
        for (float y = -1.2f; y <= 1.2f; y += 0.05f) {
            const float w = b.weight(x, y);
            ASSERT_GE(w, 0.0f);
            ASSERT_LE(w, 1.0f);
        }
    }
}

}  // namespace
}  // namespace mugwarp
