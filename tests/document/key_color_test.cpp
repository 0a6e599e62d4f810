#include "document/key_color.h"

#include <gtest/gtest.h>

#include "raster/platform_bitmap.h"

namespace mugwarp {
namespace {

TEST(ClearKeyColor, KeyedPixelsBecomeTransparentAndTheRestOpaque) {
    PlatformBitmap b(3, 1, 24);
    std::uint8_t* row = b.scanLine(0);
    const std::uint8_t bytes[] = {0xFD, 0xFE, 0xFF, 0x10, 0x20, 0x30, 0xFF, 0xFE, 0xFD};
    std::copy(std::begin(bytes), std::end(bytes), row);
    clearKeyColor(b, 0xFDFEFF);  // red 0xFF, green 0xFE, blue 0xFD
    ASSERT_EQ(b.bitsPerPixel(), 32);
    EXPECT_EQ(b.pixelArgb(0, 0), 0x00FFFEFDu);  // the key: colour kept, alpha 0
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFF302010u);
    EXPECT_EQ(b.pixelArgb(2, 0), 0xFFFDFEFFu);  // same bytes the other way round: not the key
}

TEST(ClearKeyColor, TheNoColourKeyReadsAsWhite) {
    PlatformBitmap b(2, 1, 32);
    const std::uint8_t bytes[] = {0xFF, 0xFF, 0xFF, 0x00, 0x01, 0xFF, 0xFF, 0x00};
    std::copy(std::begin(bytes), std::end(bytes), b.scanLine(0));
    clearKeyColor(b, 0x1FFFFFFF);
    EXPECT_EQ(b.pixelArgb(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(b.pixelArgb(1, 0), 0xFFFFFF01u);
    EXPECT_EQ(outerColorForKey(0x1FFFFFFF), 0x00FFFFFFu);
    EXPECT_EQ(outerColorForKey(0xFDFEFF), 0x00FFFEFDu);
    EXPECT_NE(outerColorForKey(0xFDFEFF), kDefaultOuterColor);
}

}  // namespace
}  // namespace mugwarp
