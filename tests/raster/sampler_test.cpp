#include <gtest/gtest.h>

#include "raster/gamma_table.h"
#include "raster/pixel_surface.h"
#include "raster/samplers.h"

namespace mugwarp {
namespace {

constexpr Argb kOuter = 0x00FDFEFF;

PixelSurface bilinearSurface() {
    PixelSurface s(3, 2);
    s.setSamplerKind(SamplerKind::Bilinear);
    s.setOuterColor(kOuter);
    s.setPixel(0, 0, 0xFF000000);
    s.setPixel(1, 0, 0xFFFFFFFF);
    s.setPixel(2, 0, 0x80102030);
    s.setPixel(0, 1, 0x00FF0000);
    s.setPixel(1, 1, 0xFF00FF00);
    s.setPixel(2, 1, 0x400000FF);
    return s;
}

TEST(GammaTableTest, EndsAndMiddle) {
    const auto& g = gammaTable();
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(g[255], 255);
    EXPECT_EQ(g[128], 157);  // 255 * (128/255)^0.7 = 157.4
    EXPECT_EQ(g[254], 254);
    for (int i = 1; i < 256; ++i) EXPECT_GE(g[i], g[i - 1]);
}

TEST(BilinearSamplerTest, InteriorPointMixesFourPixelsWithGammaWeights) {
    const PixelSurface s = bilinearSurface();
    // Half way right and a quarter down from (0, 0): fx = 128, fy = 64.
    // (0x8000 + 127) >> 8 = 128 and (0x4000 + 127) >> 8 = 64.
    const auto& g = gammaTable();
    const unsigned wx = g[255 - 128], wy = g[255 - 64];
    auto mix = [](unsigned a, unsigned b, unsigned w) { return (w * a + (255 - w) * b) / 255; };
    auto channel = [&](int shift) {
        auto c = [&](int x, int y) { return (s.pixel(x, y) >> shift) & 0xFFu; };
        return mix(mix(c(0, 0), c(1, 0), wx), mix(c(0, 1), c(1, 1), wx), wy);
    };
    const Argb expected = (channel(24) << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    EXPECT_EQ(sampleBilinear(s, 0x8000, 0x4000), expected);
    EXPECT_EQ(wx, 157u);  // 255 * (127/255)^0.7
    EXPECT_EQ(wy, 208u);  // 255 * (191/255)^0.7
}

TEST(BilinearSamplerTest, WholePixelsReadThePixel) {
    const PixelSurface s = bilinearSurface();
    EXPECT_EQ(sampleBilinear(s, 0, 0), s.pixel(0, 0));
    EXPECT_EQ(sampleBilinear(s, toFixed(1), 0), s.pixel(1, 0));
    // Within half a 256th of a pixel rounds onto the pixel.
    EXPECT_EQ(sampleBilinear(s, toFixed(1) + 127, 0), s.pixel(1, 0));
    EXPECT_EQ(sampleBilinear(s, toFixed(1) - 128, 0), s.pixel(1, 0));
}

TEST(BilinearSamplerTest, LastColumnAndRowAreReadWithoutInterpolation) {
    const PixelSurface s = bilinearSurface();
    EXPECT_EQ(sampleBilinear(s, toFixed(2), 0), s.pixel(2, 0));
    // On the last column, a fractional y is truncated to its row.
    EXPECT_EQ(sampleBilinear(s, toFixed(2), 0x8000), s.pixel(2, 0));
    EXPECT_EQ(sampleBilinear(s, toFixed(2), toFixed(1)), s.pixel(2, 1));
    EXPECT_EQ(sampleBilinear(s, 0x8000, toFixed(1)), s.pixel(0, 1));
    EXPECT_EQ(sampleBilinear(s, toFixed(1) + 0x8000, toFixed(1)), s.pixel(1, 1));
}

TEST(BilinearSamplerTest, OutsidePointsGiveTheOuterColour) {
    const PixelSurface s = bilinearSurface();
    EXPECT_EQ(sampleBilinear(s, toFixed(2) + 256, 0), kOuter);  // a 256th past the last column
    EXPECT_EQ(sampleBilinear(s, 0, toFixed(1) + 256), kOuter);
    
    EXPECT_EQ(sampleBilinear(s, -128, 0), kOuter);
    EXPECT_EQ(sampleBilinear(s, -127, 0), s.pixel(0, 0));
    EXPECT_EQ(sampleBilinear(s, 0, -200), kOuter);
    EXPECT_EQ(sampleBilinear(s, INT32_MAX, INT32_MAX), kOuter);
    EXPECT_EQ(sampleBilinear(s, INT32_MIN, 0), kOuter);
    EXPECT_EQ(sampleBilinear(PixelSurface(), 0, 0), 0u);
}

TEST(BilinearSamplerTest, SinglePixelSurface) {
    PixelSurface s(1, 1);
    s.setPixel(0, 0, 0x12345678);
    s.setOuterColor(kOuter);
    EXPECT_EQ(sampleBilinear(s, 0, 0), 0x12345678u);
    EXPECT_EQ(sampleBilinear(s, 0, 0x100), kOuter);
}

TEST(NearestSamplerTest, RoundsToTheNearestPixel) {
    const PixelSurface s = bilinearSurface();
    EXPECT_EQ(sampleNearest(s, 0x8000, 0), s.pixel(0, 0));  // (0x8000 + 0x7FFF) >> 16 = 0
    EXPECT_EQ(sampleNearest(s, 0x8001, 0), s.pixel(1, 0));
    EXPECT_EQ(sampleNearest(s, toFixed(2) + 0x8000, 0), s.pixel(2, 0));
    EXPECT_EQ(sampleNearest(s, toFixed(2) + 0x8001, 0), kOuter);
    EXPECT_EQ(sampleNearest(s, -0x7FFF, 0), s.pixel(0, 0));
    EXPECT_EQ(sampleNearest(s, -0x8000, 0), kOuter);
    EXPECT_EQ(sampleNearest(s, INT32_MAX, 0), kOuter);
}

}  // namespace
}  // namespace mugwarp
