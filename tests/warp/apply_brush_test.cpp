#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "canvas_fixture.h"
#include "warp/vector_sampling.h"
#include "warp/warp_engine.h"

namespace mugwarp {
namespace {

using testing::CanvasFixture;
using testing::samePixels;

WarpEngine engineFor(WarpTool tool, int size) {
    WarpEngine e;
    e.setSize(size);
    e.setTool(tool);
    return e;
}

// One application computed the plain way, cell by cell with the map's own
// interpolation: what applyBrush must produce.
DisplacementMap referenceApplication(const DisplacementMap& before, const DisplacementMap& mesh, PixelPoint at,
                                     Fixed multiplierX, Fixed multiplierY) {
    DisplacementMap after(before.width(), before.height());
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) after.setVector(x, y, before.vector(x, y));
    for (int t = 0; t < mesh.height(); ++t) {
        for (int s = 0; s < mesh.width(); ++s) {
            const int x = at.x + s, y = at.y + t;
            if (x < 0 || y < 0 || x >= before.width() || y >= before.height()) continue;
            const FixedVector b{fixedMul(multiplierX, mesh.vector(s, t).x), fixedMul(multiplierY, mesh.vector(s, t).y)};
            const FixedVector v = before.fixedVector(toFixed(x) + b.x, toFixed(y) + b.y);
            after.setVector(x, y, {v.x + b.x, v.y + b.y});
        }
    }
    return after;
}

bool sameMap(const DisplacementMap& a, const DisplacementMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!(a.vector(x, y) == b.vector(x, y))) return false;
    return true;
}

TEST(VectorSampling, MatchesTheMapsOwnInterpolationInsideAndAtTheEdges) {
    DisplacementMap m(9, 7);
    std::mt19937 rng(7);
    std::uniform_int_distribution<Fixed> value(-40 << 16, 40 << 16);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) m.setVector(x, y, {value(rng), value(rng)});
    std::uniform_int_distribution<Fixed> position(-3 << 16, 12 << 16);
    for (int i = 0; i < 20000; ++i) {
        const Fixed x = position(rng), y = position(rng);
        ASSERT_EQ(sampleDisplacement(m, x, y), m.fixedVector(x, y)) << x << ", " << y;
    }
    // Whole-pixel positions, and neighbourhoods that are partly or wholly zero.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) m.setVector(x, y, {});
    for (int i = 0; i < 20000; ++i) {
        Fixed x = position(rng), y = position(rng);
        if (i % 3 == 0) x &= ~0xFFFF;
        if (i % 2 == 0) y &= ~0xFFFF;
        ASSERT_EQ(sampleDisplacement(m, x, y), m.fixedVector(x, y)) << x << ", " << y;
    }
    // Vectors thousands of pixels long (differences still within 32 bits).
    std::uniform_int_distribution<Fixed> large(-(1 << 29), 1 << 29);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) m.setVector(x, y, {large(rng), large(rng)});
    for (int i = 0; i < 20000; ++i) {
        const Fixed x = position(rng), y = position(rng);
        ASSERT_EQ(sampleDisplacement(m, x, y), m.fixedVector(x, y)) << x << ", " << y;
    }
}

TEST(ApplyBrush, PuttyPressWithoutMotionChangesNothing) {
    CanvasFixture f(60, 50);
    WarpEngine e = engineFor(WarpTool::Putty, 21);
    WarpCanvas c = f.canvas();
    const PixelSurface before = f.display;
    e.beginStroke({20, 15}, 0);
    const Rect rendered = e.applyBrush(c, {20, 15});
    EXPECT_EQ(rendered, (Rect{20, 15, 41, 36}));
    EXPECT_TRUE(f.mapIsZero());
    EXPECT_TRUE(samePixels(f.display, before));
}

TEST(ApplyBrush, PuttyDragsTheContentWithTheMouse) {
    CanvasFixture f(80, 60);
    WarpEngine e = engineFor(WarpTool::Putty, 21);
    WarpCanvas c = f.canvas();
    e.beginStroke({20, 20}, 0);
    e.applyBrush(c, {30, 20});
    // Drag vector (-10 + 0) / 2 = -5 pixels in X; weight 0.5 at the centre.
    EXPECT_EQ(f.map().vector(40, 30), (FixedVector{-5 * 32768, 0}));
    // The centre now shows what was 2.5 pixels to its left: between columns 37 and 38.
    EXPECT_NE(f.display.pixel(40, 30), f.source.pixel(40, 30));
    // The next application halves the memory: (-10 * 65536 + -5 * 65536) / 2.
    const DisplacementMap before = f.map();
    const DisplacementMap expected = referenceApplication(before, e.mesh(0), {40, 20}, -491520, 0);
    e.applyBrush(c, {40, 20});
    EXPECT_TRUE(sameMap(f.map(), expected));
}

TEST(ApplyBrush, PuttyDragsTheSameWithEitherButton) {
    CanvasFixture left(70, 70), right(70, 70);
    WarpEngine a = engineFor(WarpTool::Putty, 31), b = engineFor(WarpTool::Putty, 31);
    WarpCanvas ca = left.canvas(), cb = right.canvas();
    a.beginStroke({10, 10}, 0);
    b.beginStroke({10, 10}, 1);
    for (PixelPoint p : {PixelPoint{14, 12}, PixelPoint{19, 15}, PixelPoint{22, 22}}) {
        a.applyBrush(ca, p);
        b.applyBrush(cb, p);
    }
    EXPECT_FALSE(left.mapIsZero());
    EXPECT_TRUE(sameMap(left.map(), right.map()));
    EXPECT_TRUE(samePixels(left.display, right.display));
}

TEST(ApplyBrush, OneTwirlLeavesTheRimAndTheCentreStill) {
    CanvasFixture f(61, 61);
    WarpEngine e = engineFor(WarpTool::Twirl, 41);
    WarpCanvas c = f.canvas();
    e.beginStroke({10, 10}, 0);
    e.applyBrush(c, {10, 10});
    const DisplacementMap& m = f.map();
    EXPECT_EQ(m.vector(30, 30), FixedVector{});  // centre of the odd brush
    EXPECT_NE(m.vector(40, 30), FixedVector{});  // half way to the rim
    EXPECT_NE(m.vector(30, 22), FixedVector{});
    for (int y = 0; y < 61; ++y) {
        for (int x = 0; x < 61; ++x) {
            const double dx = (x - 30) / 20.0, dy = (y - 30) / 20.0;
            if (dx * dx + dy * dy >= 1.0) {
                ASSERT_EQ(m.vector(x, y), FixedVector{}) << x << ", " << y;
            }
        }
    }
}

TEST(ApplyBrush, OneWarpMovesEvenTheCentre) {
    CanvasFixture f(61, 61);
    WarpEngine e = engineFor(WarpTool::Warp, 41);
    WarpCanvas c = f.canvas();
    e.beginStroke({10, 10}, 1);
    e.applyBrush(c, {10, 10});
    EXPECT_NE(f.map().vector(30, 30), FixedVector{});
    EXPECT_EQ(f.map().vector(10, 30), FixedVector{});
}

TEST(ApplyBrush, RepeatedApplicationsCompound) {
    CanvasFixture f(90, 90);
    WarpEngine e = engineFor(WarpTool::Twirl, 51);
    WarpCanvas c = f.canvas();
    e.beginStroke({15, 20}, 0);
    for (int i = 0; i < 4; ++i) {
        const DisplacementMap before = f.map();
        const DisplacementMap expected = referenceApplication(before, e.mesh(0), {15 + i, 20}, kFixedOne, kFixedOne);
        e.applyBrush(c, {15 + i, 20});
        ASSERT_TRUE(sameMap(f.map(), expected)) << "application " << i;
        ASSERT_FALSE(sameMap(f.map(), before));
    }
}

TEST(ApplyBrush, FarReachingDragsReadOnlyTheDeformationBeforeTheApplication) {
    // Vertical jerks move brush vectors many rows up and down, over a map
    // that already varies from row to row.
    CanvasFixture f(90, 160);
    WarpCanvas c = f.canvas();
    WarpEngine twirl = engineFor(WarpTool::Twirl, 61);
    twirl.beginStroke({15, 50}, 0);
    for (int i = 0; i < 6; ++i) twirl.applyBrush(c, {15, 50});
    WarpEngine putty = engineFor(WarpTool::Putty, 61);
    putty.beginStroke({15, 10}, 0);
    Fixed dragY = 0;
    for (int y : {70, 20, 95, 40, -30}) {
        dragY = static_cast<Fixed>(std::nearbyint((double(toFixed(putty.lastPosition().y - y)) + dragY) / 2));
        const DisplacementMap expected = referenceApplication(f.map(), putty.mesh(0), {15, y}, 0, dragY);
        putty.applyBrush(c, {15, y});
        ASSERT_TRUE(sameMap(f.map(), expected)) << y;
    }
    PixelSurface full = f.display;
    full.fillRect(full.bounds(), 0);
    transform(full, f.source, f.remap);
    EXPECT_TRUE(samePixels(f.display, full));
}

TEST(ApplyBrush, RendersOnlyTheSquareAndExactlyAsAFullRender) {
    CanvasFixture f(100, 80);
    WarpEngine e = engineFor(WarpTool::Warp, 31);
    WarpCanvas c = f.canvas();
    const PixelSurface untouched = f.display;
    e.beginStroke({30, 20}, 0);
    const Rect r = e.applyBrush(c, {30, 20});
    EXPECT_EQ(r, (Rect{30, 20, 61, 51}));
    PixelSurface full(100, 80);
    transform(full, f.source, f.remap);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const Argb expected = r.contains(x, y) ? full.pixel(x, y) : untouched.pixel(x, y);
            ASSERT_EQ(f.display.pixel(x, y), expected) << x << ", " << y;
        }
    }
}

// Brush applications of every tool, near the edges too, leave the display
// exactly as a full render of the source through the final map would.
void checkStrokeAgainstFullRender(SamplerKind sampler) {
    CanvasFixture f(120, 90);
    f.source.setSamplerKind(sampler);
    WarpCanvas c = f.canvas();
    WarpEngine e = engineFor(WarpTool::Putty, 41);
    e.beginStroke({-10, 20}, 0);
    for (int i = 1; i <= 6; ++i) e.applyBrush(c, {-10 + 7 * i, 20 + 3 * i});
    e.setTool(WarpTool::Twirl);
    e.beginStroke({90, 60}, 1);
    for (int i = 0; i < 5; ++i) e.applyBrush(c, {90, 60});
    e.setTool(WarpTool::Warp);
    e.beginStroke({40, -15}, 0);
    for (int i = 0; i < 5; ++i) e.applyBrush(c, {40 + i, -15});
    PixelSurface full = f.display;
    full.fillRect(full.bounds(), 0);
    transform(full, f.source, f.remap);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_EQ(f.display.pixel(x, y), full.pixel(x, y)) << x << ", " << y;
}

TEST(ApplyBrush, StrokesShowWhatAFullRenderShows) {
    checkStrokeAgainstFullRender(SamplerKind::Bilinear);
    // A source set up otherwise goes through the general renderer.
    checkStrokeAgainstFullRender(SamplerKind::Nearest);
}

TEST(ApplyBrush, ClipsTheSquareAtEveryEdge) {
    const int size = 21;
    const PixelPoint corners[] = {{-10, 20}, {40, 20}, {20, -10}, {20, 30}, {-15, -15}, {45, 35}, {-21, 10}, {10, 50}};
    for (PixelPoint at : corners) {
        CanvasFixture f(50, 40);
        WarpEngine e = engineFor(WarpTool::Warp, size);
        WarpCanvas c = f.canvas();
        const DisplacementMap expected = referenceApplication(f.map(), e.mesh(0), at, kFixedOne, kFixedOne);
        e.beginStroke(at, 0);
        const Rect r = e.applyBrush(c, at);
        const Rect clipped = Rect{at.x, at.y, at.x + size, at.y + size}.intersected(f.display.bounds());
        if (clipped.isEmpty()) {
            EXPECT_TRUE(r.isEmpty());
        } else {
            EXPECT_EQ(r, clipped);
        }
        EXPECT_TRUE(sameMap(f.map(), expected)) << at.x << ", " << at.y;
        EXPECT_EQ(e.lastPosition(), at);
    }
}

TEST(ApplyBrush, ASquareWhollyOutsideChangesNothing) {
    CanvasFixture f(50, 40);
    WarpEngine e = engineFor(WarpTool::Twirl, 21);
    WarpCanvas c = f.canvas();
    const PixelSurface before = f.display;
    e.beginStroke({60, 10}, 0);
    EXPECT_TRUE(e.applyBrush(c, {60, 10}).isEmpty());
    EXPECT_TRUE(e.applyBrush(c, {-30, -30}).isEmpty());
    EXPECT_TRUE(f.mapIsZero());
    EXPECT_TRUE(samePixels(f.display, before));
}

TEST(ApplyBrush, ContentPulledFromOutsideThePictureIsTransparent) {
    CanvasFixture f(60, 60);
    WarpEngine e = engineFor(WarpTool::Putty, 31);
    WarpCanvas c = f.canvas();
    // Drag rightwards starting across the left edge: column 0 now shows what
    // lay left of the picture.
    e.beginStroke({-15, 15}, 0);
    for (int x = -13; x <= -5; x += 2) e.applyBrush(c, {x, 15});
    EXPECT_EQ(alphaOf(f.display.pixel(0, 30)), 0);
    EXPECT_EQ(f.display.pixel(0, 30), 0x00FDFEFFu);
    EXPECT_EQ(alphaOf(f.display.pixel(40, 30)), 255);
}

}  // namespace
}  // namespace mugwarp
