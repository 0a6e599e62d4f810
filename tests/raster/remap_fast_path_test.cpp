#include <gtest/gtest.h>

#include <random>

#include "raster/pixel_surface.h"
#include "raster/remap_fast.h"
#include "raster/remap_transform.h"

namespace mugwarp {
namespace {

// The renderer's specialised path must match the per-pixel path bit for bit:
// random pictures and maps, vectors reaching past every edge and onto the
// last column and row exactly, every draw mode, clipped rectangles.
struct Case {
    int width, height;
    DrawMode drawMode;
    CombineMode combineMode;
    int masterAlpha;
    bool transparentDestination;
};

Fixed randomComponent(std::mt19937& rng, int extent) {
    switch (rng() % 6) {
        case 0: return 0;
        case 1: return toFixed(int(rng() % (2 * extent + 5)) - extent - 2);  // whole pixels, often outside
        case 2: return Fixed(rng() % 512) - 256;                              // within a pixel
        case 3: return Fixed(rng());                                          // anything at all
        default: return Fixed(rng() % (8 << 16)) - (4 << 16);
    }
}

void render(const Case& c, unsigned seed, bool reference, PixelSurface& display, std::optional<Rect> clip) {
    std::mt19937 rng(seed);
    PixelSurface source(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) source.setPixel(x, y, rng());
    source.setSamplerKind(SamplerKind::Bilinear);
    source.setDrawMode(c.drawMode);
    source.setCombineMode(c.combineMode);
    source.setMasterAlpha(c.masterAlpha);
    source.setOuterColor(0x00FDFEFF);
    RemapTransform remap;
    remap.displacementMap().setSizeFrom(source);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            remap.displacementMap().setVector(x, y, {randomComponent(rng, c.width), randomComponent(rng, c.height)});
    // Points landing exactly on the last column and row, and a 256th beyond.
    remap.displacementMap().setVector(0, 0, {toFixed(c.width - 1), toFixed(c.height - 1)});
    if (c.width > 1) remap.displacementMap().setVector(1, 0, {toFixed(c.width - 2) + 256, 0});
    remap.setSrcRect({0, 0, float(c.width), float(c.height)});
    remap.setMappingRect({0, 0, float(c.width), float(c.height)});
    display.setSize(c.width, c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const Argb p = rng();
            display.setPixel(x, y, c.transparentDestination ? (p & 0x00FFFFFFu) : p);
        }
    if (reference) {
        transformReference(display, source, remap, clip);
    } else {
        // Straight into the specialised path, so that a silent fallback to
        // the general one cannot make this comparison vacuous.
        remap.prepare();
        const Rect area = clip ? clip->intersected(display.bounds()) : display.bounds();
        if (!area.isEmpty()) {
            ASSERT_TRUE(raster_detail::renderRemapFast(display, source, remap, area));
        }
    }
}

TEST(RemapFastPathTest, MatchesThePerPixelRendererBitForBit) {
    const Case cases[] = {
        {1, 1, DrawMode::Blend, CombineMode::Merge, 255, true},
        {2, 2, DrawMode::Blend, CombineMode::Merge, 255, true},
        {67, 45, DrawMode::Blend, CombineMode::Merge, 255, true},
        {130, 3, DrawMode::Opaque, CombineMode::Blend, 255, false},
        {5, 140, DrawMode::Blend, CombineMode::Merge, 255, false},
        {129, 66, DrawMode::Blend, CombineMode::Blend, 200, false},
        {64, 64, DrawMode::Blend, CombineMode::Merge, 90, true},
        {200, 150, DrawMode::Blend, CombineMode::Merge, 255, true},
    };
    unsigned seed = 11;
    for (const Case& c : cases) {
        for (std::optional<Rect> clip : {std::optional<Rect>{}, std::optional<Rect>{Rect{3, 1, c.width - 7, 40}},
                                         std::optional<Rect>{Rect{-10, c.height / 2, 1000, 1000}}}) {
            ++seed;
            PixelSurface fast, reference;
            render(c, seed, false, fast, clip);
            render(c, seed, true, reference, clip);
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x)
                    ASSERT_EQ(fast.pixel(x, y), reference.pixel(x, y))
                        << c.width << "x" << c.height << " seed " << seed << " at " << x << "," << y;
        }
    }
}

TEST(RemapFastPathTest, DestinationLargerThanTheMapReadsZeroVectors) {
    std::mt19937 rng(99);
    PixelSurface source(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) source.setPixel(x, y, rng());
    source.setSamplerKind(SamplerKind::Bilinear);
    RemapTransform remap;
    remap.displacementMap().setSize(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) remap.displacementMap().setVector(x, y, {Fixed(rng() % 200000), 40000});
    // Rectangles as large as the map's span keep the factors at one.
    remap.setSrcRect({0, 0, 20, 10});
    remap.setMappingRect({0, 0, 20, 10});
    PixelSurface fast(100, 50), reference(100, 50);
    remap.prepare();
    ASSERT_TRUE(raster_detail::renderRemapFast(fast, source, remap, fast.bounds()));
    transformReference(reference, source, remap);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(fast.pixel(x, y), reference.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(fast.pixel(30, 20), source.pixel(30, 20));
}

}  // namespace
}  // namespace mugwarp
