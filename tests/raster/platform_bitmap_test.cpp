#include <gtest/gtest.h>

#include <climits>

#include "raster/error.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {
namespace {

TEST(PlatformBitmapTest, RowsArePaddedToFourBytesAndStoredBottomUp) {
    EXPECT_EQ(PlatformBitmap::strideFor(1, 1), 4u);
    EXPECT_EQ(PlatformBitmap::strideFor(33, 1), 8u);
    EXPECT_EQ(PlatformBitmap::strideFor(9, 4), 8u);
    EXPECT_EQ(PlatformBitmap::strideFor(5, 8), 8u);
    EXPECT_EQ(PlatformBitmap::strideFor(3, 24), 12u);
    EXPECT_EQ(PlatformBitmap::strideFor(5, 24), 16u);
    EXPECT_EQ(PlatformBitmap::strideFor(3, 32), 12u);

    PlatformBitmap b(5, 3, 24);
    EXPECT_EQ(b.byteSize(), 48u);
    b.setPixelArgb(0, 0, 0x00AABBCC);
    // The top row is the last one in memory, pixels blue, green, red.
    EXPECT_EQ(b.data()[32], 0xCC);
    EXPECT_EQ(b.data()[33], 0xBB);
    EXPECT_EQ(b.data()[34], 0xAA);
    EXPECT_EQ(b.scanLine(0), b.data() + 32);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFAABBCCu);
}

TEST(PlatformBitmapTest, IndexedPixelsPackMostSignificantBitsFirst) {
    PlatformBitmap b(9, 1, 1);
    b.setPixelIndex(0, 0, 1);
    b.setPixelIndex(8, 0, 1);
    EXPECT_EQ(b.scanLine(0)[0], 0x80);
    EXPECT_EQ(b.scanLine(0)[1], 0x80);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFFFFFFFu);  // default palette: black, white
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFF000000u);

    PlatformBitmap n(3, 1, 4);
    n.setPixelIndex(0, 0, 0xA);
    n.setPixelIndex(1, 0, 0x5);
    n.setPixelIndex(2, 0, 0xF);
    EXPECT_EQ(n.scanLine(0)[0], 0xA5);
    EXPECT_EQ(n.scanLine(0)[1], 0xF0);
    EXPECT_EQ(n.pixelIndex(1, 0), 5);
}

TEST(PlatformBitmapTest, ShortPaletteReadsBlackPastItsEnd) {
    PlatformBitmap b(2, 1, 8);
    b.palette() = {{10, 20, 30, 0}};
    b.setPixelIndex(0, 0, 0);
    b.setPixelIndex(1, 0, 200);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFF1E140Au);
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFF000000u);
}

TEST(PlatformBitmapTest, UpConversionIsExactAndKeepsTheKey) {
    PlatformBitmap b(3, 2, 8);
    b.palette() = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) b.setPixelIndex(x, y, (x + y) % 3);
    b.setTransparent(true);
    b.setTransparentColor(0x010203);
    PlatformBitmap c = b;
    c.setBitsPerPixel(24);
    EXPECT_EQ(c.stride(), 12u);
    PlatformBitmap d = b;
    d.setBitsPerPixel(32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(c.pixelArgb(x, y), b.pixelArgb(x, y));
            EXPECT_EQ(d.pixelArgb(x, y), b.pixelArgb(x, y));
        }
    }
    EXPECT_TRUE(d.transparent());
    EXPECT_EQ(d.transparentColor(), 0x010203u);
}

TEST(PlatformBitmapTest, DownConversionPicksTheNearestPaletteEntry) {
    PlatformBitmap b(2, 1, 32);
    b.setPixelArgb(0, 0, 0xFFF0F0F0);
    b.setPixelArgb(1, 0, 0xFF101010);
    b.setBitsPerPixel(1);
    EXPECT_EQ(b.pixelIndex(0, 0), 1);
    EXPECT_EQ(b.pixelIndex(1, 0), 0);
    b.setBitsPerPixel(32);
    EXPECT_EQ(b.pixelArgb(0, 0), 0xFFFFFFFFu);
}

TEST(PlatformBitmapTest, DrawingAnIndexedBitmapInto32BitsIsOpaqueAndClipped) {
    PlatformBitmap frame(2, 2, 8);
    frame.palette() = {{0, 0, 255, 0}, {255, 0, 0, 0}};
    frame.setPixelIndex(1, 1, 1);
    frame.setTransparent(true);
    frame.setTransparentColor(0x0000FF);
    PlatformBitmap canvas(3, 3, 32);
    canvas.drawBitmap(frame, 2, 1);
    EXPECT_EQ(canvas.pixelArgb(2, 1), 0xFFFF0000u);  // key colour drawn too
    EXPECT_EQ(canvas.pixelArgb(2, 2), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixelArgb(1, 1), 0u);
    canvas.drawBitmap(frame, -1, -1);
    EXPECT_EQ(canvas.pixelArgb(0, 0), 0xFF0000FFu);
}

TEST(PlatformBitmapTest, StretchDrawRepeatsAndDropsPixels) {
    PlatformBitmap src(2, 1, 24);
    src.setPixelArgb(0, 0, 0xFF111111);
    src.setPixelArgb(1, 0, 0xFF222222);
    PlatformBitmap dst(4, 2, 32);
    dst.stretchDraw({0, 0, 4, 2}, src);
    EXPECT_EQ(dst.pixelArgb(0, 1), 0xFF111111u);
    EXPECT_EQ(dst.pixelArgb(1, 0), 0xFF111111u);
    EXPECT_EQ(dst.pixelArgb(2, 0), 0xFF222222u);
    EXPECT_EQ(dst.pixelArgb(3, 1), 0xFF222222u);
    PlatformBitmap small(1, 1, 32);
    small.stretchDraw({0, 0, 1, 1}, dst);
    EXPECT_EQ(small.pixelArgb(0, 0), 0xFF111111u);
    dst.stretchDraw({-4, 0, 4, 1}, src);  // half outside
    EXPECT_EQ(dst.pixelArgb(0, 0), 0xFF222222u);
    dst.stretchDraw({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, src);  // spans beyond int arithmetic
}

TEST(PlatformBitmapTest, FarOffPositionsDrawNothing) {
    PlatformBitmap src(2, 2, 32);
    src.setPixelArgb(0, 0, 0xFFFFFFFF);
    PlatformBitmap dst(2, 2, 32);
    dst.drawBitmap(src, INT_MAX, INT_MAX);
    dst.drawBitmap(src, INT_MIN, 0);
    dst.copyRect(INT_MAX, 0, src, src.bounds());
    dst.copyRect(0, 0, src, {INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1});
    dst.copyRect(INT_MIN, INT_MIN, src, {-5, -5, 2, 2});
    EXPECT_EQ(dst.pixelArgb(0, 0), 0u);
}

TEST(PlatformBitmapTest, CopyRectClipsBothSides) {
    PlatformBitmap src(3, 3, 32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.setPixelArgb(x, y, 0xFF000000u | (y << 4) | x);
    PlatformBitmap dst(2, 2, 32);
    dst.copyRect(-1, 0, src, {0, 1, 3, 9});
    EXPECT_EQ(dst.pixelArgb(0, 0), 0xFF000011u);
    EXPECT_EQ(dst.pixelArgb(1, 1), 0xFF000022u);
    PlatformBitmap indexed(2, 1, 4);
    indexed.setPixelIndex(0, 0, 9);
    PlatformBitmap other(2, 1, 4);
    other.copyRect(1, 0, indexed, indexed.bounds());
    EXPECT_EQ(other.pixelIndex(1, 0), 9);
}

TEST(PlatformBitmapTest, BadSizesAndDepthsFailCleanly) {
    PlatformBitmap b(2, 2, 32);
    EXPECT_THROW(b.setSize(INT_MAX, INT_MAX, 32), Error);
    EXPECT_EQ(b.width(), 2);
    EXPECT_THROW(b.setSize(2, 2, 16), Error);
    EXPECT_THROW(b.setBitsPerPixel(7), Error);
    b.setSize(-3, 5, 24);
    EXPECT_TRUE(b.isEmpty());
}

}  // namespace
}  // namespace mugwarp
