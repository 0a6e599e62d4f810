// Reconstruct, Smooth, Freeze and Thaw, the freeze mask under the moving
// brushes, and the pen's pressure.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "canvas_fixture.h"
#include "warp/square_render.h"
#include "warp/warp_engine.h"

namespace mugwarp {
namespace {

using testing::CanvasFixture;

constexpr int kSide = 120;

// Sum of |x| + |y| over the map's cells inside rect, in pixels.
double movement(const DisplacementMap& map, const Rect& rect) {
    double total = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            total += (std::abs(double(map.vector(x, y).x)) + std::abs(double(map.vector(x, y).y))) / 65536.0;
    return total;
}

bool sameCells(const DisplacementMap& a, const DisplacementMap& b, const Rect& rect) {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (!(a.vector(x, y) == b.vector(x, y))) return false;
    return true;
}

bool samePixelsIn(const PixelSurface& a, const PixelSurface& b, const Rect& rect) {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
}

// Drags the given brush from one centre to another in single-pixel moves.
void drag(WarpEngine& engine, WarpCanvas& canvas, PixelPoint from, PixelPoint to) {
    engine.beginStroke(brushTopLeft(from, engine.activeSize()), 0);
    const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    for (int i = 1; i <= steps; ++i) {
        const PixelPoint p{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        engine.applyBrush(canvas, brushTopLeft(p, engine.activeSize()));
    }
}

void holdAt(WarpEngine& engine, WarpCanvas& canvas, PixelPoint centre, int times) {
    engine.beginStroke(brushTopLeft(centre, engine.activeSize()), 0);
    for (int i = 0; i < times; ++i) engine.applyBrush(canvas, brushTopLeft(centre, engine.activeSize()));
}

WarpEngine engineFor(WarpTool tool, int size, int effect = 0) {
    WarpEngine engine;
    engine.setTool(tool);
    engine.setSize(size);
    engine.setEffect(effect);
    return engine;
}

TEST(EffectStrength, FollowsTheDocumentedCurveAndClamps) {
    const struct { int effect; double strength; } cases[] = {
        {-100, 1.0 / 16}, {-50, 1.0 / 8}, {0, 0.25}, {50, 0.5}, {100, 1.0}, {-400, 1.0 / 16}, {400, 1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(effectStrength(c.effect), c.strength) << c.effect;
}

TEST(Reconstruct, ReachesTheExactSourceAndLeavesTheOutsideAlone) {
    for (const int effect : {-100, 0, 100}) {
        CanvasFixture f(kSide, kSide);
        WarpCanvas canvas = f.canvas();
        WarpEngine putty = engineFor(WarpTool::Putty, 30);
        drag(putty, canvas, {30, 40}, {45, 52});    // to be brushed back
        drag(putty, canvas, {95, 95}, {104, 86});   // far from the brush: must stay
        const PixelSurface pulled = f.display;
        const DisplacementMap pulledMap = f.map();

        WarpEngine reconstruct = engineFor(WarpTool::Reconstruct, 80, effect);
        int applications = 0;
        while (movement(f.map(), {0, 0, 75, 75}) != 0 && applications < 20000) {
            holdAt(reconstruct, canvas, {40, 44}, 50);
            applications += 50;
        }
        ASSERT_EQ(movement(f.map(), {0, 0, 75, 75}), 0) << "effect " << effect;
        EXPECT_TRUE(samePixelsIn(f.display, f.source, {0, 0, 75, 75})) << "effect " << effect;
        // Outside the brush square (0..79 x 4..83, centred on 40, 44): not a
        // bit changed, the far pull included.
        for (const Rect outside : {Rect{80, 0, kSide, kSide}, Rect{0, 84, kSide, kSide}, Rect{0, 0, kSide, 4}}) {
            EXPECT_TRUE(sameCells(f.map(), pulledMap, outside));
            EXPECT_TRUE(samePixelsIn(f.display, pulled, outside));
        }
    }
}

TEST(Reconstruct, OneApplicationScalesByOneMinusStrengthTimesWeight) {
    CanvasFixture f(60, 60);
    const FixedVector shift{toFixed(8), toFixed(-4)};
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) f.map().setVector(x, y, shift);
    WarpCanvas canvas = f.canvas();
    WarpEngine engine = engineFor(WarpTool::Reconstruct, 41, 100);  // s = 1
    engine.applyBrush(canvas, brushTopLeft({30, 30}, 41));
    // The centre has the whole weight: straight back to none.
    EXPECT_EQ(f.map().vector(30, 30), FixedVector{});
    // Halfway out the weight is (1 - d) * min(1, 2 (1 - d)) = 0.5 at d = 0.5.
    const FixedVector half = f.map().vector(40, 30);
    EXPECT_NEAR(half.x / 65536.0, 4.0, 0.01);
    EXPECT_NEAR(half.y / 65536.0, -2.0, 0.01);
    EXPECT_EQ(f.map().vector(51, 30), shift);  // outside the disc
}

TEST(Smooth, KeepsAUniformShiftBitForBit) {
    CanvasFixture f(90, 90);
    const FixedVector shift{toFixed(3.25), toFixed(-7.5)};
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 90; ++x) f.map().setVector(x, y, shift);
    WarpCanvas canvas = f.canvas();
    renderSquare(canvas, f.display.bounds());
    const PixelSurface before = f.display;
    const DisplacementMap mapBefore = f.map();
    // Also where the window is cut by the picture's edge.
    for (const PixelPoint centre : {PixelPoint{45, 45}, PixelPoint{2, 3}, PixelPoint{88, 60}}) {
        WarpEngine engine = engineFor(WarpTool::Smooth, 64, 100);
        holdAt(engine, canvas, centre, 5);
    }
    EXPECT_TRUE(sameCells(f.map(), mapBefore, f.map().bounds()));
    EXPECT_TRUE(testing::samePixels(f.display, before));
}

TEST(Smooth, SoftensASpikeAndLeavesTheOutsideAlone) {
    CanvasFixture f(100, 100);
    f.map().setVector(40, 40, {toFixed(12), toFixed(12)});
    f.map().setVector(95, 95, {toFixed(-6), 0});  // outside the brush
    WarpCanvas canvas = f.canvas();
    WarpEngine engine = engineFor(WarpTool::Smooth, 48);
    holdAt(engine, canvas, {40, 40}, 3);
    const FixedVector spike = f.map().vector(40, 40);
    EXPECT_GT(spike.x, 0);
    EXPECT_LT(spike.x, toFixed(12) / 2);
    EXPECT_GT(f.map().vector(41, 40).x, 0);  // spread to its neighbours
    EXPECT_EQ(f.map().vector(95, 95), (FixedVector{toFixed(-6), 0}));
    // Nothing is lost or made up far beyond the spike's reach.
    EXPECT_EQ(movement(f.map(), {70, 0, 100, 70}), 0);
}

// The mask's middle band frozen at the given level.
ByteMap bandMask(int side, std::uint8_t level, const Rect& band) {
    ByteMap mask(side, side);
    for (int y = band.top; y < band.bottom; ++y)
        for (int x = band.left; x < band.right; ++x) mask.setValue(x, y, level);
    return mask;
}

TEST(FreezeMask, FullyFrozenPixelsStayUnderEveryBrush) {
    const Rect band{50, 0, 70, kSide};
    const struct { WarpTool tool; int hold; } cases[] = {
        {WarpTool::Putty, 0}, {WarpTool::Warp, 8}, {WarpTool::Twirl, 8}, {WarpTool::Reconstruct, 8}, {WarpTool::Smooth, 8},
    };
    for (const auto& c : cases) {
        CanvasFixture f(kSide, kSide);
        ByteMap mask = bandMask(kSide, 255, band);
        WarpCanvas canvas = f.canvas();
        canvas.freeze = &mask;
        // A deformation to work on for the brushes that only take it back.
        WarpEngine warp = engineFor(WarpTool::Twirl, 90);
        holdAt(warp, canvas, {60, 60}, 6);
        const PixelSurface before = f.display;
        WarpEngine engine = engineFor(c.tool, 50);
        drag(engine, canvas, {20, 60}, {100, 64});
        holdAt(engine, canvas, {60, 62}, c.hold);
        EXPECT_TRUE(samePixelsIn(f.display, before, band)) << static_cast<int>(c.tool);
        EXPECT_FALSE(testing::samePixels(f.display, before)) << static_cast<int>(c.tool);
    }
}

TEST(FreezeMask, HalfFrozenPixelsMoveLess) {
    for (const WarpTool tool : {WarpTool::Putty, WarpTool::Warp, WarpTool::Twirl}) {
        double moved[3] = {};
        const std::uint8_t levels[3] = {0, 128, 255};
        for (int i = 0; i < 3; ++i) {
            CanvasFixture f(kSide, kSide);
            ByteMap mask = bandMask(kSide, levels[i], f.map().bounds());
            WarpCanvas canvas = f.canvas();
            canvas.freeze = &mask;
            WarpEngine engine = engineFor(tool, 50);
            drag(engine, canvas, {40, 60}, {70, 60});
            holdAt(engine, canvas, {70, 60}, 4);
            moved[i] = movement(f.map(), f.map().bounds());
        }
        EXPECT_GT(moved[0], moved[1]) << static_cast<int>(tool);
        EXPECT_GT(moved[1], moved[0] * 0.25) << static_cast<int>(tool);
        EXPECT_EQ(moved[2], 0) << static_cast<int>(tool);
    }
}

TEST(FreezeMask, AnEmptyMaskChangesNothing) {
    CanvasFixture plain(kSide, kSide), masked(kSide, kSide);
    ByteMap none(kSide, kSide);
    WarpCanvas a = plain.canvas();
    WarpCanvas b = masked.canvas();
    b.freeze = &none;
    for (WarpCanvas* canvas : {&a, &b}) {
        WarpEngine engine = engineFor(WarpTool::Warp, 60);
        drag(engine, *canvas, {30, 30}, {80, 70});
    }
    EXPECT_TRUE(sameCells(plain.map(), masked.map(), plain.map().bounds()));
    EXPECT_TRUE(testing::samePixels(plain.display, masked.display));
}

TEST(FreezeBrush, PaintsAndThawsTheMaskWithoutTouchingThePicture) {
    CanvasFixture f(80, 80);
    ByteMap mask(80, 80);
    WarpCanvas canvas = f.canvas();
    canvas.freeze = &mask;
    const PixelSurface before = f.display;
    WarpEngine freeze = engineFor(WarpTool::Freeze, 30);
    holdAt(freeze, canvas, {40, 40}, 60);
    EXPECT_EQ(mask.value(40, 40), 255);
    EXPECT_GT(mask.value(48, 40), 0);
    EXPECT_EQ(mask.value(10, 10), 0);
    EXPECT_TRUE(f.mapIsZero());
    EXPECT_TRUE(testing::samePixels(f.display, before));
    // The right button of Freeze thaws, and that of Thaw freezes.
    freeze.beginStroke(brushTopLeft({40, 40}, 30), 1);
    for (int i = 0; i < 3; ++i) freeze.applyBrush(canvas, brushTopLeft({40, 40}, 30));
    EXPECT_LT(mask.value(40, 40), 255);
    WarpEngine thaw = engineFor(WarpTool::Thaw, 40);
    thaw.beginStroke(brushTopLeft({40, 40}, 40), 1);
    for (int i = 0; i < 40; ++i) thaw.applyBrush(canvas, brushTopLeft({40, 40}, 40));
    EXPECT_EQ(mask.value(40, 40), 255);
    holdAt(thaw, canvas, {40, 40}, 200);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(mask.value(x, y), 0) << x << "," << y;
}

TEST(FreezeBrush, DoesNothingWithoutAMaskOfThePicturesSize) {
    CanvasFixture f(80, 80);
    ByteMap wrong(40, 40);
    WarpCanvas canvas = f.canvas();
    WarpEngine freeze = engineFor(WarpTool::Freeze, 30);
    EXPECT_TRUE(freeze.applyBrush(canvas, {20, 20}).isEmpty());
    canvas.freeze = &wrong;
    EXPECT_TRUE(freeze.applyBrush(canvas, {20, 20}).isEmpty());
    EXPECT_EQ(wrong.value(10, 10), 0);
}

TEST(PenPressure, ScalesStrengthOrSize) {
    WarpEngine engine = engineFor(WarpTool::Reconstruct, 200, 100);
    EXPECT_EQ(engine.fieldStrength(), 65536u);
    const struct { double pressure; std::uint32_t strength; } strengths[] = {
        {1.0, 65536}, {0.5, 32768}, {0.25, 16384}, {0.0, 0}, {1.7, 65536}, {-3.0, 0}, {NAN, 65536},
    };
    for (const auto& c : strengths) {
        engine.setPenPressure(c.pressure);
        EXPECT_EQ(engine.fieldStrength(), c.strength) << c.pressure;
        EXPECT_EQ(engine.activeSize(), 200);
    }
    engine.setPressureMode(PressureMode::Size);
    const struct { double pressure; int size; } sizes[] = {{1.0, 200}, {0.5, 100}, {0.25, 50}, {0.0, WarpEngine::kMinSize}};
    for (const auto& c : sizes) {
        engine.setPenPressure(c.pressure);
        EXPECT_EQ(engine.activeSize(), c.size) << c.pressure;
        EXPECT_EQ(engine.fieldStrength(), 65536u) << c.pressure;
        EXPECT_EQ(engine.weights().size, c.size);
    }
}

TEST(PenPressure, FullPressureIsTheMouseAndLessMovesLess) {
    double moved[3] = {};
    const double pressures[3] = {1.0, 0.5, 0.0};
    DisplacementMap mouseMap;
    for (int i = 0; i < 3; ++i) {
        CanvasFixture f(kSide, kSide);
        WarpCanvas canvas = f.canvas();
        WarpEngine engine = engineFor(WarpTool::Warp, 60);
        engine.setPenPressure(0.3);  // a pen that changes its mind
        engine.setPenPressure(pressures[i]);
        drag(engine, canvas, {40, 60}, {70, 60});
        moved[i] = movement(f.map(), f.map().bounds());
        if (i == 0) mouseMap = f.map();
    }
    CanvasFixture mouse(kSide, kSide);
    WarpCanvas canvas = mouse.canvas();
    WarpEngine engine = engineFor(WarpTool::Warp, 60);
    drag(engine, canvas, {40, 60}, {70, 60});
    EXPECT_TRUE(sameCells(mouse.map(), mouseMap, mouse.map().bounds()));
    EXPECT_GT(moved[0], moved[1]);
    EXPECT_GT(moved[1], 0);
    EXPECT_EQ(moved[2], 0);
}

TEST(PenPressure, SizeModeShrinksThePuttyBrush) {
    CanvasFixture f(kSide, kSide);
    WarpCanvas canvas = f.canvas();
    WarpEngine engine = engineFor(WarpTool::Putty, 80);
    engine.setPressureMode(PressureMode::Size);
    engine.setPenPressure(0.25);
    drag(engine, canvas, {60, 60}, {66, 60});
    // A 20-pixel brush around x 60..66 cannot reach 15 pixels off its path.
    EXPECT_EQ(movement(f.map(), {0, 0, kSide, 48}), 0);
    EXPECT_GT(movement(f.map(), {50, 50, 76, 70}), 0);
}

}  // namespace
}  // namespace mugwarp
