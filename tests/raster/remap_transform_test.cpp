#include <gtest/gtest.h>

#include <random>

#include "raster/error.h"
#include "raster/pixel_surface.h"
#include "raster/remap_transform.h"
#include "raster/samplers.h"

namespace mugwarp {
namespace {

constexpr Argb kOuter = 0x00FDFEFF;

// The document's set-up: bilinear source drawn blended and merged, map of the
// source's size, both rectangles the bounds.
struct WarpSetup {
    PixelSurface source;
    PixelSurface display;
    RemapTransform remap;

    WarpSetup(int w, int h, unsigned seed = 1) : source(w, h), display(w, h) {
        std::mt19937 rng(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) source.setPixel(x, y, rng() | 0xFF000000u);
        source.setBorderTransparent(source.bounds());
        source.setSamplerKind(SamplerKind::Bilinear);
        source.setDrawMode(DrawMode::Blend);
        source.setCombineMode(CombineMode::Merge);
        source.setOuterColor(kOuter);
        remap.displacementMap().setSizeFrom(source);
        remap.displacementMap().clear();
        remap.setSrcRect({0, 0, float(w), float(h)});
        remap.setMappingRect({0, 0, float(w), float(h)});
    }
};

TEST(RemapTransformTest, EmptyRectanglesAreReportedAtTheFirstRendering) {
    WarpSetup s(4, 4);
    s.display.fillRect(s.display.bounds(), 0x11223344);
    s.remap.setSrcRect({2, 0, 2, 4});
    try {
        transform(s.display, s.source, s.remap);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "SrcRect is empty!");
    }
    s.remap.setSrcRect({0, 0, 4, 4});
    s.remap.setMappingRect({0, 3, 4, 1});
    try {
        transform(s.display, s.source, s.remap);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "MappingRect is empty!");
    }
    EXPECT_EQ(s.display.pixel(1, 1), 0x11223344u);
    // A rendering clipped to nothing stops before preparing.
    EXPECT_NO_THROW(transform(s.display, s.source, s.remap, Rect{2, 2, 2, 3}));
}

TEST(RemapTransformTest, ZeroMapRendersTheSourceUnchangedBorderIncluded) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 5}, {37, 23}, {640, 3}, {3, 480}, {4001, 2}};
    for (auto [w, h] : sizes) {
        WarpSetup s(w, h, w * 31 + h);
        s.display.fillRect(s.display.bounds(), 0);
        transform(s.display, s.source, s.remap);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(s.display.pixel(x, y), s.source.pixel(x, y)) << w << "x" << h << " at " << x << "," << y;
        EXPECT_EQ(alphaOf(s.display.pixel(0, 0)), 0);
        EXPECT_EQ(alphaOf(s.display.pixel(w - 1, h - 1)), 0);
    }
}

TEST(RemapTransformTest, WholePixelVectorsShiftTheSourceAndOutsideIsTheOuterColour) {
    WarpSetup s(8, 6);
    auto& map = s.remap.displacementMap();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) map.setVector(x, y, {toFixed(2), toFixed(-1)});
    s.display.fillRect(s.display.bounds(), 0);
    transform(s.display, s.source, s.remap);
    EXPECT_EQ(s.display.pixel(3, 3), s.source.pixel(5, 2));
    EXPECT_EQ(s.display.pixel(5, 1), s.source.pixel(7, 0));
    EXPECT_EQ(s.display.pixel(6, 3), kOuter);  // beyond the last column
    EXPECT_EQ(s.display.pixel(3, 0), kOuter);  // above the first row
}

TEST(RemapTransformTest, ClipLimitsTheRenderingAndTheNotification) {
    WarpSetup s(10, 10);
    s.display.fillRect(s.display.bounds(), 0x00ABCDEF);
    std::vector<Rect> notified;
    s.display.setChangeHandler([&](const Rect& r) { notified.push_back(r); });
    transform(s.display, s.source, s.remap, Rect{-3, 2, 4, 5});
    EXPECT_EQ(s.display.pixel(0, 2), s.source.pixel(0, 2));
    EXPECT_EQ(s.display.pixel(3, 4), s.source.pixel(3, 4));
    EXPECT_EQ(s.display.pixel(4, 4), 0x00ABCDEFu);
    EXPECT_EQ(s.display.pixel(3, 5), 0x00ABCDEFu);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], (Rect{0, 2, 4, 5}));
}

TEST(RemapTransformTest, MergeOntoTransparentPixelsGivesTheSampleExactly) {
    WarpSetup s(16, 12, 7);
    auto& map = s.remap.displacementMap();
    std::mt19937 rng(3);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            map.setVector(x, y, {Fixed(rng() % 400000) - 200000, Fixed(rng() % 400000) - 200000});
    // Half-transparent source pixels, so that any blending would show.
    for (int x = 0; x < 16; ++x) s.source.setPixel(x, 5, 0x80402010u + x);
    s.display.fillRect(s.display.bounds(), 0);
    transform(s.display, s.source, s.remap);
    s.remap.prepare();
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            Fixed sx = 0, sy = 0;
            s.remap.reverseTransform(toFixed(x), toFixed(y), sx, sy);
            ASSERT_EQ(s.display.pixel(x, y), sampleBilinear(s.source, sx, sy)) << x << "," << y;
        }
    }
}

TEST(RemapTransformTest, ReverseTransformAddsTheVectorExactlyInTheDocumentsSetUp) {
    RemapTransform remap;
    remap.displacementMap().setSize(641, 3);
    remap.displacementMap().setVector(600, 1, {toFixed(3) + 5, toFixed(-2) - 7});
    remap.setSrcRect({0, 0, 641, 3});
    remap.setMappingRect({0, 0, 641, 3});
    remap.prepare();
    Fixed sx = 0, sy = 0;
    remap.reverseTransform(toFixed(600), toFixed(1), sx, sy);
    EXPECT_EQ(sx, toFixed(603) + 5);
    EXPECT_EQ(sy, toFixed(-1) - 7);
    remap.reverseTransform(toFixed(640), toFixed(2), sx, sy);
    EXPECT_EQ(sx, toFixed(640));
    EXPECT_EQ(sy, toFixed(2));
}

TEST(RemapTransformTest, ReverseTransformScalesBetweenRectangles) {
    RemapTransform remap;
    remap.displacementMap().setSize(5, 3);
    remap.displacementMap().setVector(2, 1, {toFixed(3), toFixed(-2)});
    remap.setSrcRect({10, 20, 20, 26});  // twice the mapping rectangle, shifted
    remap.setMappingRect({0, 0, 5, 3});
    remap.prepare();
    Fixed sx = 0, sy = 0;
    remap.reverseTransform(toFixed(2), toFixed(1), sx, sy);
    EXPECT_EQ(sx, toFixed(10 + 2 * 2 + 2 * 3));
    EXPECT_EQ(sy, toFixed(20 + 2 * 1 - 2 * 2));
}

TEST(RemapTransformTest, SingleCellMapsStillRender) {
    WarpSetup s(1, 7);
    s.display.fillRect(s.display.bounds(), 0);
    EXPECT_NO_THROW(transform(s.display, s.source, s.remap));
    EXPECT_EQ(s.display.pixel(0, 3), s.source.pixel(0, 3));
}

}  // namespace
}  // namespace mugwarp
