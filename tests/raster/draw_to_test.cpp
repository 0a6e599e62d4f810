#include <gtest/gtest.h>

#include <random>

#include "raster/pixel_surface.h"

namespace mugwarp {
namespace {

TEST(DrawToTest, OpaqueCopiesClippedToTheDestination) {
    PixelSurface top(3, 2);
    top.fillRect(top.bounds(), 0x10203040);
    top.setPixel(0, 0, 0x00000001);
    PixelSurface dst(4, 4);
    dst.fillRect(dst.bounds(), 0xFFFFFFFF);
    std::vector<Rect> notified;
    dst.setChangeHandler([&](const Rect& r) { notified.push_back(r); });
    top.drawTo(dst, -1, 3);
    EXPECT_EQ(dst.pixel(0, 3), 0x10203040u);
    EXPECT_EQ(dst.pixel(1, 3), 0x10203040u);
    EXPECT_EQ(dst.pixel(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixel(0, 2), 0xFFFFFFFFu);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], (Rect{0, 3, 2, 4}));
    top.drawTo(dst, 4, 0);  // wholly outside
    EXPECT_EQ(notified.size(), 1u);
}

TEST(DrawToTest, MergeOntoTransparentPixelsGivesTheSourceExactly) {
    std::mt19937 rng(5);
    PixelSurface top(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) top.setPixel(x, y, rng());
    top.setDrawMode(DrawMode::Blend);
    top.setCombineMode(CombineMode::Merge);
    PixelSurface dst(16, 16);
    dst.fillRect(dst.bounds(), 0x00FFFFFF);
    top.drawTo(dst, 0, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(dst.pixel(x, y), top.pixel(x, y));
}

TEST(DrawToTest, BlendAndMergeOverOpaquePixels) {
    PixelSurface top(1, 1);
    top.setDrawMode(DrawMode::Blend);
    PixelSurface dst(1, 1);
    for (CombineMode mode : {CombineMode::Blend, CombineMode::Merge}) {
        top.setCombineMode(mode);
        top.setMasterAlpha(255);
        top.setPixel(0, 0, 0x80FF0000);  // half red over opaque blue
        dst.setPixel(0, 0, 0xFF0000FF);
        top.drawTo(dst, 0, 0);
        EXPECT_EQ(dst.pixel(0, 0), 0xFF80007Fu);
        // Fully transparent source leaves the destination.
        top.setPixel(0, 0, 0x00FF0000);
        top.drawTo(dst, 0, 0);
        EXPECT_EQ(dst.pixel(0, 0), 0xFF80007Fu);
        // Master alpha scales the source alpha: 255 * 0 -> nothing drawn.
        top.setPixel(0, 0, 0xFF00FF00);
        top.setMasterAlpha(0);
        top.drawTo(dst, 0, 0);
        EXPECT_EQ(dst.pixel(0, 0), 0xFF80007Fu);
        top.setMasterAlpha(255);
        top.drawTo(dst, 0, 0);
        EXPECT_EQ(dst.pixel(0, 0), 0xFF00FF00u);
    }
}

TEST(DrawToTest, MergeHonoursTheDestinationAlpha) {
    PixelSurface top(1, 1);
    top.setDrawMode(DrawMode::Blend);
    top.setCombineMode(CombineMode::Merge);
    top.setPixel(0, 0, 0x80FF0000);
    PixelSurface dst(1, 1);
    dst.setPixel(0, 0, 0x800000FF);
    top.drawTo(dst, 0, 0);
    // alpha 128 + 128 * 127 / 255 = 192; red weight 128*255 against 128*127.
    EXPECT_EQ(alphaOf(dst.pixel(0, 0)), 192);
    // 255 * 32640 / (32640 + 16256), rounded: two thirds red, one third blue.
    EXPECT_EQ(redOf(dst.pixel(0, 0)), 170);
    EXPECT_EQ(blueOf(dst.pixel(0, 0)), 255 - redOf(dst.pixel(0, 0)));
}

}  // namespace
}  // namespace mugwarp

namespace mugwarp {
namespace {

TEST(DrawToTest, DrawingOntoItselfShiftedActsOnTheOriginalPixels) {
    PixelSurface s(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) s.setPixel(x, y, 0xFF000000u + y * 4 + x);
    const PixelSurface original = s;
    s.drawTo(s, 1, 1);
    EXPECT_EQ(s.pixel(0, 0), original.pixel(0, 0));
    EXPECT_EQ(s.pixel(1, 1), original.pixel(0, 0));
    EXPECT_EQ(s.pixel(3, 2), original.pixel(2, 1));
    s.draw(Rect{0, 0, 2, 2}, s);  // stretched onto itself: the original 4 x 3 shrunk
    EXPECT_EQ(s.pixel(0, 0), original.pixel(0, 0));
}

}  // namespace
}  // namespace mugwarp
