#include "warp/stroke_controller.h"

#include <gtest/gtest.h>

#include "canvas_fixture.h"
#include "warp/stroke_target.h"

namespace mugwarp {
namespace {

using testing::CanvasFixture;

// The document reduced to what strokes need, counting the undo snapshots.
class FakeDocument final : public StrokeTarget {
public:
    FakeDocument() : canvas(80, 80) {}
    bool pictureLoaded() const override { return loaded; }
    WarpCanvas warpCanvas() override { return canvas.canvas(); }
    void beginUndoableChange() override { ++snapshots; }
    void enterWarpTool(int code) override { tool = code; }
    bool warpToolActive() const override { return tool >= 0 && tool <= 2; }

    CanvasFixture canvas;
    bool loaded = true;
    int tool = -1;
    int snapshots = 0;
};

constexpr MouseButtons kLeft{true, false, false};
constexpr MouseButtons kRight{false, true, false};
constexpr MouseButtons kMiddle{false, false, true};
constexpr MouseButtons kBoth{true, true, false};

TEST(SelectStrokeButton, LeftWinsAndMiddleAloneSelectsNothing) {
    EXPECT_EQ(selectStrokeButton({}), -1);
    EXPECT_EQ(selectStrokeButton(kMiddle), -1);
    EXPECT_EQ(selectStrokeButton(kLeft), 0);
    EXPECT_EQ(selectStrokeButton(kRight), 1);
    EXPECT_EQ(selectStrokeButton(kBoth), 0);
    EXPECT_EQ(selectStrokeButton({false, true, true}), 1);
}

TEST(StrokeController, ToolSelectionSetsPressureTimerAndSnapshots) {
    FakeDocument doc;
    StrokeController strokes(doc);
    EXPECT_FALSE(strokes.timerShouldRun());
    strokes.selectTool(WarpTool::Warp);
    EXPECT_EQ(doc.tool, 1);
    EXPECT_EQ(doc.snapshots, 1);
    EXPECT_TRUE(strokes.timerShouldRun());
    EXPECT_EQ(strokes.engine().brush().pressure(), 0.15f);
    strokes.selectTool(WarpTool::Twirl);
    EXPECT_TRUE(strokes.timerShouldRun());
    EXPECT_EQ(strokes.engine().brush().pressure(), 0.5f);
    strokes.selectTool(WarpTool::Putty);
    EXPECT_FALSE(strokes.timerShouldRun());
    EXPECT_EQ(strokes.engine().brush().pressure(), 0.5f);
    EXPECT_EQ(doc.snapshots, 3);
}

TEST(StrokeController, EveryPressSnapshotsButOnlyLeftOrRightStartsAStroke) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Warp);
    strokes.press({40, 40}, kMiddle);
    EXPECT_EQ(doc.snapshots, 2);
    EXPECT_FALSE(strokes.stroking());
    EXPECT_TRUE(strokes.tick().isEmpty());
    strokes.press({40, 40}, kRight);
    EXPECT_TRUE(strokes.stroking());
    EXPECT_EQ(strokes.engine().strokeMesh(), 1);
    EXPECT_TRUE(doc.canvas.mapIsZero());  // a press applies nothing
}

TEST(StrokeController, HoldingStillWithWarpKeepsApplying) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Warp);
    strokes.setBrushSize(21);
    strokes.press({40, 40}, kLeft);
    FixedVector previous = doc.canvas.map().vector(45, 40);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(strokes.tick(), (Rect{30, 30, 51, 51}));
        const FixedVector now = doc.canvas.map().vector(45, 40);
        ASSERT_NE(now, previous) << "tick " << i;
        previous = now;
    }
    strokes.release();
    EXPECT_TRUE(strokes.tick().isEmpty());
    EXPECT_EQ(doc.canvas.map().vector(45, 40), previous);
}

TEST(StrokeController, APressWithoutLeftOrRightDoesNotReviveTheLastStroke) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Twirl);
    strokes.press({30, 30}, kLeft);
    strokes.tick();
    strokes.release();
    const DisplacementMap after = doc.canvas.map();
    strokes.press({50, 50}, kMiddle);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(strokes.tick().isEmpty());
    EXPECT_EQ(doc.canvas.map().vector(35, 30), after.vector(35, 30));
}

TEST(StrokeController, PuttyIgnoresTheTimer) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Putty);
    strokes.press({40, 40}, kLeft);
    EXPECT_TRUE(strokes.tick().isEmpty());
    EXPECT_FALSE(strokes.move({40, 40}, kLeft).isEmpty());  // applied, but no motion
    EXPECT_TRUE(doc.canvas.mapIsZero());
    EXPECT_FALSE(strokes.move({45, 42}, kLeft).isEmpty());
    EXPECT_FALSE(doc.canvas.mapIsZero());
}

TEST(StrokeController, MovesApplyOnlyWithLeftOrRightHeld) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Twirl);
    strokes.setBrushSize(31);
    EXPECT_TRUE(strokes.move({40, 40}, kMiddle).isEmpty());
    EXPECT_TRUE(strokes.move({40, 40}, {}).isEmpty());
    EXPECT_TRUE(doc.canvas.mapIsZero());
    // A drag that began outside the view still applies.
    EXPECT_EQ(strokes.move({40, 40}, kBoth), (Rect{25, 25, 56, 56}));
    EXPECT_EQ(strokes.engine().strokeMesh(), 0);
    EXPECT_FALSE(doc.canvas.mapIsZero());
}

TEST(StrokeController, DoesNothingWithoutPictureOrWarpTool) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.press({40, 40}, kLeft);  // arrow tool
    EXPECT_EQ(doc.snapshots, 0);
    EXPECT_TRUE(strokes.move({44, 40}, kLeft).isEmpty());
    strokes.selectTool(WarpTool::Warp);
    doc.loaded = false;
    strokes.press({40, 40}, kLeft);
    EXPECT_EQ(doc.snapshots, 1);
    EXPECT_TRUE(strokes.move({44, 40}, kLeft).isEmpty());
    EXPECT_TRUE(strokes.tick().isEmpty());
    EXPECT_TRUE(doc.canvas.mapIsZero());
}

TEST(StrokeController, SlidersChangeTheBrushBetweenStrokes) {
    FakeDocument doc;
    StrokeController strokes(doc);
    strokes.selectTool(WarpTool::Warp);
    strokes.setBrushSize(1000);
    EXPECT_EQ(strokes.brushSize(), 500);
    strokes.setBrushSize(11);
    strokes.setEffect(-400);
    EXPECT_EQ(strokes.effect(), -100);
    EXPECT_EQ(strokes.engine().mesh(0).width(), 11);
    EXPECT_EQ(strokes.move({20, 20}, kLeft), (Rect{15, 15, 26, 26}));
}

}  // namespace
}  // namespace mugwarp
