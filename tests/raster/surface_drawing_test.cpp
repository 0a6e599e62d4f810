#include <gtest/gtest.h>

#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

constexpr Argb kGrey = 0xFF808080;

TEST(RaiseRectangleTest, PositiveContrastLightensTopLeftAndDarkensBottomRight) {
    PixelSurface s(5, 4);
    s.fillRect(s.bounds(), kGrey);
    s.raiseRectangle({1, 0, 4, 4}, 50);
    // Light at alpha min(255, 50 * 512 / 100) = 255, dark at 50 * 255 / 100 = 127.
    EXPECT_EQ(s.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(s.pixel(3, 0), 0xFFFFFFFFu);  // top row spans the full width
    EXPECT_EQ(s.pixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(s.pixel(1, 3), 0xFF404040u);  // bottom row dark, corner included
    EXPECT_EQ(s.pixel(3, 2), 0xFF404040u);
    EXPECT_EQ(s.pixel(2, 1), kGrey);
    EXPECT_EQ(s.pixel(0, 1), kGrey);
    EXPECT_EQ(s.pixel(4, 1), kGrey);
}

TEST(RaiseRectangleTest, NegativeContrastSwapsAndZeroDoesNothing) {
    PixelSurface s(3, 3);
    s.fillRect(s.bounds(), kGrey);
    s.raiseRectangle(s.bounds(), 0);
    EXPECT_EQ(s.pixel(0, 0), kGrey);
    s.raiseRectangle(s.bounds(), -20);
    // Dark top-left at 20 * 255 / 100 = 51: 128 * 204 / 255 = 102.
    // Light bottom-right at 20 * 512 / 100 = 102: 128 + 127 * 102 / 255 = 179.
    EXPECT_EQ(s.pixel(0, 0), 0xFF666666u);
    EXPECT_EQ(s.pixel(0, 1), 0xFF666666u);
    EXPECT_EQ(s.pixel(2, 2), 0xFFB3B3B3u);
    EXPECT_EQ(s.pixel(2, 1), 0xFFB3B3B3u);
    EXPECT_EQ(s.pixel(1, 1), kGrey);
    // Absurd contrasts neither overflow nor reach past the surface.
    s.raiseRectangle({-5, -5, 10, 10}, INT_MIN);
    s.raiseRectangle({-5, -5, 10, 10}, INT_MAX);
}

TEST(LineTest, HorizontalLineLeavesTheEndPointOut) {
    PixelSurface s(6, 3);
    s.setPenColor(0xFFFF0000);
    s.moveTo(1, 1);
    s.lineTo(toFixed(4), toFixed(1));
    EXPECT_EQ(s.pixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(s.pixel(3, 1), 0xFFFF0000u);
    EXPECT_EQ(s.pixel(4, 1), 0u);
    EXPECT_EQ(s.pixel(0, 1), 0u);
    EXPECT_EQ(s.pixel(2, 0), 0u);
    EXPECT_EQ(s.pixel(2, 2), 0u);
    EXPECT_EQ(s.penX(), toFixed(4));
}

TEST(LineTest, HalfwayLineSharesCoverageAndPenAlphaBlends) {
    PixelSurface s(4, 4);
    s.fillRect(s.bounds(), 0xFF000000);
    s.setPenColor(0x80FFFFFF);
    s.moveTo(0, 1.5f);
    s.lineTo(toFixed(3), toFixed(1) + kFixedHalf);
    // Half coverage of a half-transparent white over black: about a quarter.
    EXPECT_NEAR(redOf(s.pixel(1, 1)), 64, 2);
    EXPECT_NEAR(redOf(s.pixel(1, 2)), 64, 2);
    EXPECT_EQ(s.pixel(3, 1), 0xFF000000u);
}

TEST(LineTest, SteepAndReversedLinesStayInsideAndNotify) {
    PixelSurface s(5, 5);
    std::vector<Rect> notified;
    s.setChangeHandler([&](const Rect& r) { notified.push_back(r); });
    s.moveTo(2, 4);
    s.lineTo(toFixed(2), toFixed(-30));
    for (int y = 1; y <= 4; ++y) EXPECT_EQ(s.pixel(2, y), 0xFFFFFFFFu) << y;
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], (Rect{2, 0, 3, 5}));
    s.moveTo(-100, -100);
    s.lineTo(INT32_MAX, INT32_MIN);  // far outside: nothing to draw, no crash
}

TEST(StretchDrawTest, SameSizeCopiesAndDoubleSizeInterpolates) {
    PixelSurface src(2, 2);
    src.fillRect({0, 0, 1, 2}, 0xFF000000);
    src.fillRect({1, 0, 2, 2}, 0xFFFFFFFF);
    PixelSurface dst(6, 2);
    dst.draw({0, 0, 2, 1}, src);
    EXPECT_EQ(dst.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dst.pixel(1, 0), 0xFFFFFFFFu);
    src.setSamplerKind(SamplerKind::Bilinear);
    dst.draw({2, 0, 5, 2}, src);
    EXPECT_EQ(dst.pixel(2, 0), 0xFF000000u);
    EXPECT_EQ(dst.pixel(4, 1), 0xFFFFFFFFu);  // last column meets the source's last pixel
    EXPECT_GT(redOf(dst.pixel(3, 0)), 0x40);
    EXPECT_LT(redOf(dst.pixel(3, 0)), 0xE0);
    EXPECT_EQ(dst.pixel(5, 0), 0u);
}

TEST(StretchDrawTest, BlendedSourceHonoursItsAlpha) {
    PixelSurface src(1, 1);
    src.setPixel(0, 0, 0x00FF0000);
    src.setDrawMode(DrawMode::Blend);
    PixelSurface dst(3, 3);
    dst.fillRect(dst.bounds(), 0xFF0000FF);
    dst.draw({0, 0, 3, 3}, src);
    EXPECT_EQ(dst.pixel(1, 1), 0xFF0000FFu);
}

}  // namespace
}  // namespace mugwarp
