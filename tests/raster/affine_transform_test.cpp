#include <gtest/gtest.h>

#include "raster/affine_transform.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

TEST(AffineTransformTest, StepsApplyInTheOrderTheyWereAdded) {
    AffineTransform t;
    t.translate(10, 0);
    t.scale(2, 3);
    float x = 0, y = 0;
    t.transform(1, 1, x, y);
    EXPECT_FLOAT_EQ(x, 22);  // (1 + 10) * 2
    EXPECT_FLOAT_EQ(y, 3);
    t.clear();
    t.transform(1, 1, x, y);
    EXPECT_FLOAT_EQ(x, 1);
}

TEST(AffineTransformTest, RotateTurnsAboutTheCentre) {
    AffineTransform t;
    t.rotate(5, 5, 90);
    float x = 0, y = 0;
    // M00 = cos, M10 = sin: (x, y) -> (x cos + y sin, -x sin + y cos) about the centre.
    t.transform(6, 5, x, y);
    EXPECT_NEAR(x, 5, 1e-5);
    EXPECT_NEAR(y, 4, 1e-5);
    t.transform(5, 5, x, y);
    EXPECT_NEAR(x, 5, 1e-5);
    EXPECT_NEAR(y, 5, 1e-5);
}

TEST(AffineTransformTest, InverseInFixedPointAndSingularMatrices) {
    AffineTransform t;
    t.scale(2, 4);
    t.translate(3, -1);
    t.prepare();
    Fixed sx = 0, sy = 0;
    t.reverseTransform(toFixed(7), toFixed(7), sx, sy);
    EXPECT_EQ(sx, toFixed(2));
    EXPECT_EQ(sy, toFixed(2));

    AffineTransform flat;
    flat.scale(0.001f, 0.001f);  // determinant 1e-6
    flat.prepare();
    EXPECT_EQ(flat.inverse(), AffineTransform::identity());
    flat.reverseTransform(toFixed(7), toFixed(-3), sx, sy);
    EXPECT_EQ(sx, toFixed(7));
    EXPECT_EQ(sy, toFixed(-3));
}

TEST(AffineTransformTest, TransformedBoundsRoundOutwardsByHalfAPixel) {
    AffineTransform t;
    t.setSrcRect({0, 0, 4, 2});
    t.scale(1.5f, 1);
    t.translate(0.2f, 0.7f);
    // Corners x 0.2 .. 6.2, y 0.7 .. 2.7.
    EXPECT_EQ(t.transformedBounds(), (Rect{0, 0, 7, 3}));
    t.rotate(0, 0, 180);
    EXPECT_EQ(t.transformedBounds(), (Rect{-7, -3, 0, 0}));
}

TEST(AffineTransformTest, RendersAShiftedCopy) {
    PixelSurface src(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.setPixel(x, y, 0xFF000000u + y * 3 + x);
    PixelSurface dst(6, 6);
    AffineTransform t;
    t.translate(2, 1);
    transform(dst, src, t);
    EXPECT_EQ(dst.pixel(2, 1), src.pixel(0, 0));
    EXPECT_EQ(dst.pixel(4, 3), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(1, 1), 0u);
    EXPECT_EQ(dst.pixel(5, 1), 0u);
}

}  // namespace
}  // namespace mugwarp
