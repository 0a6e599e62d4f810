#include "warp/source_sampling.h"

#include <gtest/gtest.h>

#include <random>

#include "raster/gamma_table.h"

namespace mugwarp {
namespace {

TEST(MixPixels, EqualsTheChannelByChannelMix) {
    for (std::uint32_t w = 0; w < 256; ++w) {
        for (std::uint32_t a = 0; a < 256; a += 5) {
            for (std::uint32_t b = 0; b < 256; b += 3) {
                const Argb pa = a * 0x01010101u ^ 0x00FF00FFu, pb = b * 0x01010101u;
                ASSERT_EQ(mixPixels(pa, pb, w), mixChannels(pa, pb, w)) << w << " " << a << " " << b;
            }
        }
    }
    std::mt19937 rng(11);
    for (int i = 0; i < 200000; ++i) {
        const Argb a = rng(), b = rng();
        const std::uint32_t w = rng() & 255;
        ASSERT_EQ(mixPixels(a, b, w), mixChannels(a, b, w));
    }
}

TEST(BilinearSource, EqualsTheSurfacesResamplerEverywhere) {
    PixelSurface s(7, 5);
    std::mt19937 rng(3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) s.setPixel(x, y, rng());
    s.setOuterColor(0x00FDFEFF);
    const BilinearSource sample(s, gammaTable());
    std::uniform_int_distribution<Fixed> position(-2 << 16, 9 << 16);
    for (int i = 0; i < 50000; ++i) {
        const Fixed x = position(rng), y = position(rng);
        ASSERT_EQ(sample(x, y), sampleBilinear(s, x, y)) << x << ", " << y;
    }
    // Exactly on the last column and row, and a 256th beyond.
    EXPECT_EQ(sample(6 << 16, 2 << 16), s.pixel(6, 2));
    EXPECT_EQ(sample((6 << 16) + 256, 2 << 16), 0x00FDFEFFu);
    EXPECT_EQ(sample(3 << 16, 4 << 16), s.pixel(3, 4));
}

}  // namespace
}  // namespace mugwarp
