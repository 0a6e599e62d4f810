#include "edit/morph_animation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "raster/error.h"
#include "support/command_run.h"
#include "support/picture_checks.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

// Six colours in blocks; the picture as shown the same colours elsewhere, so
// that one palette holds every colour of both ends exactly.
constexpr Argb kColors[] = {0xFFD02020, 0xFF20D020, 0xFF2020D0, 0xFFF0E0C0, 0xFF101010, 0xFF808000};

PixelSurface blocks(int width, int height, int turn) {
    PixelSurface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) s.row(y)[x] = kColors[(x / 7 + y / 5 + turn) % 6];
    return s;
}

// A frame of the GIF as ImageMagick reads it (an independent reader).
PixelSurface frameOf(const std::string& gif, int index, int width, int height, test::TempDir& dir) {
    const std::string raw = dir.path("frame.rgba");
    const test::CommandRun run =
        test::runCommand("/usr/bin/convert '" + gif + "[" + std::to_string(index) + "]' -depth 8 rgba:" + raw);
    EXPECT_EQ(run.status, 0) << run.out;
    std::ifstream in(raw, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    PixelSurface s(width, height);
    if (bytes.size() != std::size_t(width) * height * 4) return PixelSurface();
    for (int i = 0; i < width * height; ++i)
        s.bits()[i] = makeArgb(bytes[4 * i + 3], bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2]);
    return s;
}

struct Morph {
    PixelSurface source = blocks(41, 23, 0);
    PixelSurface display = blocks(41, 23, 3);
    DisplacementMap deformation{41, 23};
    Morph() {
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 41; ++x) deformation.setVector(x, y, {(x % 5) * kFixedOne, -(y % 3) * kFixedOne / 2});
    }
    MorphInput input() const { return {source, display, deformation}; }
};

TEST(MorphAnimation, EndsAreTheSourceAndTheResultAndAPeerReadsFramesDelaysAndLooping) {
    test::TempDir dir;
    const Morph m;
    struct Case {
        AnimationOptions options;
        int frames;  // in the file
    } cases[] = {{{5, 120, true, false}, 5}, {{6, 30, false, true}, 10}, {{2, 10000, true, true}, 2}};
    for (const Case& c : cases) {
        const std::string gif = dir.path("morph.gif");
        writeMorphAnimation(gif, m.input(), c.options);
        const test::CommandRun delays = test::runCommand("/usr/bin/identify -format '%T\\n' " + gif);
        std::string expected;
        for (int i = 0; i < c.frames; ++i) expected += std::to_string(c.options.delayMs / 10) + "\n";
        EXPECT_EQ(delays.out, expected);
        const test::CommandRun text = test::runCommand("/usr/bin/giftext " + gif);
        EXPECT_EQ(text.out.find("application block") != std::string::npos, c.options.looping) << c.frames;
        EXPECT_TRUE(test::samePixels(frameOf(gif, 0, 41, 23, dir), m.source));
        EXPECT_TRUE(test::samePixels(frameOf(gif, c.options.frames - 1, 41, 23, dir), m.display));
        if (c.options.backAndForth) {
            EXPECT_TRUE(test::samePixels(frameOf(gif, c.frames - 1, 41, 23, dir), frameOf(gif, 1, 41, 23, dir)));
        }
    }
}

TEST(MorphAnimation, TheDeformationIsScaledByTheEasedStep) {
    Morph m;
    m.source = PixelSurface(40, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) m.source.row(y)[x] = makeArgb(255, std::uint8_t(x * 6), std::uint8_t(y * 20), 7);
    m.deformation = DisplacementMap(40, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) m.deformation.setVector(x, y, {4 * kFixedOne, 0});
    m.display = PixelSurface();  // a project never warped since it opened would still have one; none means the source
    // Halfway the vectors are halved: every pixel is the one 2 to its right.
    EXPECT_DOUBLE_EQ(easeMorph(0.5), 0.5);
    const PixelSurface half = morphFrame(m.input(), 0.5);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(half.row(y)[x], m.source.row(y)[x + 2]) << x << "," << y;
    EXPECT_TRUE(test::samePixels(morphFrame(m.input(), 0.0), m.source));
}

TEST(MorphAnimation, OverlaysAreInEveryFrameAndTransparentPlacesStayTransparent) {
    test::TempDir dir;
    Morph m;
    for (int x = 0; x < 10; ++x) m.source.row(0)[x] = m.display.row(0)[x] = 0;  // erased
    OverlayStack overlays;
    PixelSurface badge(4, 4);
    badge.setDrawMode(DrawMode::Blend);
    for (int i = 0; i < 16; ++i) badge.bits()[i] = 0xFFFFFF00;
    overlays.add(Overlay(FloatRect{30, 10, 34, 14}, std::move(badge)));
    MorphInput input = m.input();
    input.overlays = &overlays;
    const std::string gif = dir.path("morph.gif");
    writeMorphAnimation(gif, input, {4, 50, true, false});
    for (int frame = 0; frame < 4; ++frame) {
        const PixelSurface read = frameOf(gif, frame, 41, 23, dir);
        ASSERT_FALSE(read.isEmpty());
        EXPECT_EQ(read.row(12)[32], 0xFFFFFF00u) << frame;
        EXPECT_EQ(read.row(0)[3] >> 24, 0u) << frame;
    }
}

TEST(MorphAnimation, OptionsOutOfRangeAndOversizedPicturesAreRefused) {
    const Morph m;
    for (const AnimationOptions& bad : {AnimationOptions{1, 80, true, false}, AnimationOptions{501, 80, true, false},
                                        AnimationOptions{24, 5, true, false}, AnimationOptions{24, 10001, true, false}})
        EXPECT_THROW(encodeMorphAnimation(m.input(), bad), Error);
    const PixelSurface wide(70000, 1);
    const DisplacementMap none;
    EXPECT_THROW(encodeMorphAnimation({wide, wide, none}, {}), Error);
}

}  // namespace
}  // namespace mugwarp
