#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/flat_tools.h"
#include "document/kept_rows.h"
#include "raster/error.h"
#include "support/picture_checks.h"
#include "test_files.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

using test::noise;
using test::samePixels;

// A document on a 64 x 48 picture with a tool for every kind of change.
struct Editing {
    test::TempDir dir;
    std::string path = dir.path("picture.bmp");
    Document doc;
    StrokeController strokes{doc};
    FlatTools flat{doc};

    Editing() {
        std::vector<Argb> pixels;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) pixels.push_back(makeArgb(0, std::uint8_t(x * 4), std::uint8_t(y * 5), std::uint8_t(x ^ y)));
        testing::writeBmp24(path, 64, 48, pixels);
        doc.loadPicture(path);
    }
    void stroke(WarpTool tool, int x, int y) {
        strokes.selectTool(tool);
        strokes.setBrushSize(17);
        strokes.press({x, y}, {true, false, false});
        strokes.move({x + 3, y + 1}, {true, false, false});
        strokes.tick();
        strokes.release();
    }
    void square(ToolCode tool, int x, int y) {
        doc.selectFlatTool(tool);
        flat.press({x, y}, 4);
        flat.move({x + 6, y + 2}, 4);
        flat.release();
    }
    void crop(int left, int top, int right, int bottom) {
        doc.selectFlatTool(ToolCode::Crop);
        flat.press({left, top}, 1);
        flat.move({right, bottom}, 1);
        flat.release();
    }
};

TEST(UndoHistory, TwentyMixedStepsWalkBackAndForthExactly) {
    Editing e;
    std::vector<PixelSurface> shown{e.doc.display()};
    const auto step = [&](auto change) {
        change();
        e.doc.commitChange();
        shown.push_back(e.doc.display());
    };
    for (int round = 0; round < 2; ++round) {
        step([&] { e.stroke(WarpTool::Twirl, 20 + round, 20); });
        step([&] { e.stroke(WarpTool::Putty, 30, 18 + round); });
        step([&] { e.square(ToolCode::Erase, 3 + round, 5); });
        step([&] { e.square(ToolCode::Paint, 20, 30 + round); });
        step([&] { rotatePicture(e.doc, round ? Rotation::CounterClockwise : Rotation::Clockwise); });
        step([&] { e.stroke(WarpTool::Warp, 15, 15); });
        step([&] { resizePicture(e.doc, 50 + round, 61); });
        step([&] { e.crop(2, 3, 40 - round, 45); });
        step([&] { e.doc.restore(); e.stroke(WarpTool::Twirl, 10, 10); });  // the stroke only: restore found nothing
        step([&] { rotatePicture(e.doc, Rotation::HalfTurn); });
    }
    EXPECT_EQ(e.doc.historyUsage().undoSteps, 20);
    for (std::size_t i = shown.size() - 1; i > 0; --i) {
        const Document::UndoResult r = e.doc.undo();
        ASSERT_TRUE(r.applied) << i;
        ASSERT_TRUE(samePixels(e.doc.display(), shown[i - 1])) << "undo to " << i - 1;
        EXPECT_TRUE(samePixels(e.doc.source(), shown[i - 1]));
        EXPECT_EQ(e.doc.pictureWidth(), shown[i - 1].width());
        EXPECT_EQ(r.sizeRestored, shown[i].width() != shown[i - 1].width() || i % 10 == 0 || i % 10 == 5 || i % 10 == 7 || i % 10 == 8);
    }
    EXPECT_FALSE(e.doc.canUndo());
    EXPECT_FALSE(e.doc.undo().applied);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        ASSERT_TRUE(e.doc.redo().applied) << i;
        ASSERT_TRUE(samePixels(e.doc.display(), shown[i])) << "redo to " << i;
        EXPECT_EQ(e.doc.deformation().width(), shown[i].width());
    }
    EXPECT_FALSE(e.doc.canRedo());
}

// A session that will never undo again keeps no steps, and every change
// still leaves exactly the pixels a document keeping its history shows.
TEST(UndoHistory, WithoutHistoryEveryChangeShowsTheSamePixels) {
    Editing kept, unkept;
    unkept.doc.stopKeepingHistory();
    EXPECT_FALSE(unkept.doc.keepingHistory());
    unkept.doc.loadPicture(unkept.path);  // a load after stopping keeps no copy either
    const std::vector<std::function<void(Editing&)>> changes = {
        [](Editing& e) { e.stroke(WarpTool::Twirl, 20, 20); },
        [](Editing& e) { e.square(ToolCode::Paint, 20, 30); },
        [](Editing& e) { rotatePicture(e.doc, Rotation::Clockwise); },
        [](Editing& e) { e.stroke(WarpTool::Warp, 15, 15); },
        [](Editing& e) { e.doc.display().changed(); e.doc.rebaseFromDisplay(true); },  // as a filter run ends
        [](Editing& e) { resizePicture(e.doc, 50, 61); },
        [](Editing& e) { e.crop(2, 3, 40, 45); },
        [](Editing& e) { e.stroke(WarpTool::Putty, 10, 10); e.doc.restore(); },
        [](Editing& e) { e.doc.reloadPicture(); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i](kept);
        changes[i](unkept);
        unkept.doc.commitChange();
        ASSERT_TRUE(samePixels(unkept.doc.display(), kept.doc.display())) << "change " << i;
        EXPECT_TRUE(samePixels(unkept.doc.source(), kept.doc.source())) << "change " << i;
        EXPECT_TRUE(unkept.doc.isModified()) << "change " << i;
        EXPECT_FALSE(unkept.doc.canUndo()) << "change " << i;
        EXPECT_EQ(unkept.doc.historyUsage().bytes, 0u) << "change " << i;
    }
    const PixelSurface shown = unkept.doc.display();
    EXPECT_FALSE(unkept.doc.undo().applied);
    EXPECT_FALSE(unkept.doc.redo().applied);
    EXPECT_TRUE(samePixels(unkept.doc.display(), shown));
}

TEST(UndoHistory, ANewChangeAfterUndoDropsTheStepsAhead) {
    Editing e;
    e.stroke(WarpTool::Twirl, 20, 20);
    e.stroke(WarpTool::Twirl, 40, 20);
    e.doc.undo();
    e.doc.undo();
    EXPECT_TRUE(e.doc.canRedo());
    // Choosing a tool or pressing without moving changes nothing: Redo stays.
    e.strokes.selectTool(WarpTool::Putty);
    e.strokes.press({5, 5}, {true, false, false});
    e.strokes.release();
    EXPECT_EQ(e.doc.historyUsage().redoSteps, 2);
    e.stroke(WarpTool::Warp, 30, 30);
    EXPECT_FALSE(e.doc.canRedo());
    EXPECT_FALSE(e.doc.redo().applied);
    EXPECT_EQ(e.doc.historyUsage().undoSteps, 1);
}

TEST(UndoHistory, TheBudgetDropsTheOldestStepsButNeverTheLast) {
    Editing e;
    std::vector<PixelSurface> shown;
    for (int i = 0; i < 6; ++i) {
        resizePicture(e.doc, 300 + i, 200);  // whole pictures: the biggest steps
        shown.push_back(e.doc.display());
    }
    e.doc.waitForHistoryPacking();
    const std::size_t all = e.doc.historyUsage().bytes;
    e.doc.setHistoryBudget(all / 2);
    const HistoryUsage kept = e.doc.historyUsage();
    EXPECT_LE(kept.bytes, all / 2);
    EXPECT_GE(kept.undoSteps, 1);
    EXPECT_LT(kept.undoSteps, 6);
    EXPECT_TRUE(samePixels(e.doc.display(), shown.back()));
    for (int i = 0; i < kept.undoSteps; ++i) e.doc.undo();
    EXPECT_TRUE(samePixels(e.doc.display(), shown[static_cast<std::size_t>(5 - kept.undoSteps)]));

    e.doc.setHistoryBudget(1);
    EXPECT_EQ(e.doc.historyUsage().undoSteps + e.doc.historyUsage().redoSteps, kept.undoSteps);  // redo steps stay
    e.doc.redo();
    resizePicture(e.doc, 90, 90);
    EXPECT_EQ(e.doc.historyUsage().undoSteps, 1);
    EXPECT_TRUE(e.doc.undo().sizeRestored);
}

TEST(UndoHistory, ReloadIsAStepAndOpeningAnotherPictureClearsTheHistory) {
    Editing e;
    const PixelSurface loaded = e.doc.display();
    e.stroke(WarpTool::Twirl, 20, 20);
    const PixelSurface warped = e.doc.display();
    e.doc.reloadPicture();
    EXPECT_TRUE(samePixels(e.doc.display(), loaded));
    e.doc.undo();
    EXPECT_TRUE(samePixels(e.doc.display(), warped));
    e.doc.loadPicture(e.path);
    EXPECT_FALSE(e.doc.canUndo());
    EXPECT_FALSE(e.doc.canRedo());

    Document fresh;  // a reload with nothing open is a plain load
    fresh.reloadPicture(e.path);
    EXPECT_FALSE(fresh.undo().applied);
    EXPECT_EQ(fresh.pictureWidth(), 64);
}

TEST(UndoHistory, UndoAndRedoRightAfterALargeChangeNeedNotWaitForThePacking) {
    Editing e;
    resizePicture(e.doc, 1600, 1200);  // a half turn of this differs in 7 MB, packed in the background
    const PixelSurface upright = e.doc.display();
    rotatePicture(e.doc, Rotation::HalfTurn);
    const PixelSurface turned = e.doc.display();
    e.doc.undo();
    EXPECT_TRUE(samePixels(e.doc.display(), upright));
    e.doc.redo();
    EXPECT_TRUE(samePixels(e.doc.display(), turned));
    e.doc.undo();
    e.doc.undo();  // the resize, whose picture after it is kept only now
    e.doc.redo();
    e.doc.waitForHistoryPacking();
    EXPECT_TRUE(samePixels(e.doc.display(), upright));
}

TEST(PackedRows, DifferencesRoundTripInBothDirectionsAcrossCores) {
    // Over 4 MB, so several cores share the chunks; every byte wraps somewhere.
    const PixelSurface before = noise(1100, 1000, 1), after = noise(1100, 1000, 2);
    const Rect rect{3, 7, 1099, 998};
    const PackedRows diff = PackedRows::pack(byteDifference(before, after, rect), Rect{0, 0, 2000, 2000});
    PixelSurface picture = before;
    diff.unpack(picture, rect.left, rect.top, RowApply::Add);
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 1100; ++x)
            ASSERT_EQ(picture.pixel(x, y), rect.contains(x, y) ? after.pixel(x, y) : before.pixel(x, y)) << x << "," << y;
    diff.unpack(picture, rect.left, rect.top, RowApply::Subtract);
    EXPECT_TRUE(samePixels(picture, before));

    EXPECT_THROW(diff.unpack(picture, 5, 3, RowApply::Add), Error);  // never written outside a picture
    PixelSurface small(10, 10);
    EXPECT_THROW(KeptRows(PixelSurface(after), 0, 0, PackedRows::Content::Pixels).applyTo(small, RowApply::Copy), Error);
    PackedRows::pack(after, after.bounds(), PackedRows::Content::Pixels).unpack(picture, 0, 0, RowApply::Copy);
    EXPECT_TRUE(samePixels(picture, after));
    PackedRows::pack(before, rect, PackedRows::Content::Pixels).unpack(picture, rect.left, rect.top, RowApply::Copy);
    EXPECT_EQ(picture.pixel(3, 7), before.pixel(3, 7));
    EXPECT_EQ(picture.pixel(1098, 997), before.pixel(1098, 997));
    EXPECT_EQ(picture.pixel(2, 7), after.pixel(2, 7));
    EXPECT_LT(PackedRows::pack(byteDifference(before, before, before.bounds()), before.bounds()).bytes(),
              std::size_t{64} << 10);
}

}  // namespace
}  // namespace mugwarp

namespace mugwarp {
namespace {

// An object beside the picture whose changes are steps: a counter.
struct CounterStep final : ObjectStep {
    int* counter;
    int by;
    bool failing = false;
    CounterStep(int* c, int step) : counter(c), by(step) {}
    void undo() override {
        if (failing) throw Error("cannot");
        *counter -= by;
    }
    void redo() override { *counter += by; }
    std::size_t bytes() const override { return sizeof(*this); }
};

TEST(SavedState, UndoAndRedoBackToTheSavedStateCountAsUnchanged) {
    Editing e;
    EXPECT_FALSE(e.doc.isModified());
    e.strokes.selectTool(WarpTool::Twirl);
    e.strokes.setBrushSize(17);
    e.strokes.press({20, 20}, {true, false, false});
    e.strokes.tick();
    EXPECT_TRUE(e.doc.isModified());  // a stroke under way counts already
    e.strokes.release();
    e.doc.undo();
    EXPECT_FALSE(e.doc.isModified());
    e.doc.redo();
    EXPECT_TRUE(e.doc.isModified());
    e.doc.markSaved();
    EXPECT_FALSE(e.doc.isModified());
    e.doc.undo();
    EXPECT_TRUE(e.doc.isModified());
    e.doc.redo();
    EXPECT_FALSE(e.doc.isModified());
    // Undo, then another change: the saved state is out of reach for good.
    e.doc.undo();
    e.stroke(WarpTool::Putty, 30, 30);
    e.doc.undo();
    EXPECT_TRUE(e.doc.isModified());
    e.doc.reloadPicture();
    EXPECT_TRUE(e.doc.isModified());
    e.doc.loadPicture(e.path);
    EXPECT_FALSE(e.doc.isModified());
}

TEST(SavedState, ObjectStepsCountAndTakeTheirTurnWithPictureSteps) {
    Editing e;
    int counter = 0;
    e.stroke(WarpTool::Twirl, 20, 20);
    counter += 5;
    e.doc.recordObjectStep(std::make_unique<CounterStep>(&counter, 5));
    const PixelSurface warped = e.doc.display();
    e.stroke(WarpTool::Twirl, 40, 30);
    const PixelSurface twice = e.doc.display();

    e.doc.undo();
    EXPECT_TRUE(samePixels(e.doc.display(), warped));
    EXPECT_EQ(counter, 5);
    EXPECT_TRUE(e.doc.undo().objectsChanged);
    EXPECT_EQ(counter, 0);
    EXPECT_TRUE(samePixels(e.doc.display(), warped));  // the picture stayed
    e.doc.undo();
    EXPECT_FALSE(e.doc.isModified());
    e.doc.redo();
    e.doc.redo();
    e.doc.redo();
    EXPECT_EQ(counter, 5);
    EXPECT_TRUE(samePixels(e.doc.display(), twice));

    // A step that cannot be taken back stays where it is, and so does the document.
    e.doc.undo();
    auto failing = std::make_unique<CounterStep>(&counter, 1);
    failing->failing = true;
    counter += 1;
    e.doc.recordObjectStep(std::move(failing));
    EXPECT_FALSE(e.doc.canRedo());  // the object step dropped the stroke ahead
    EXPECT_THROW(e.doc.undo(), Error);
    EXPECT_EQ(counter, 6);
    EXPECT_EQ(e.doc.historyUsage().undoSteps, 3);
}

TEST(SavedState, StepsLostToTheBudgetOrNeverSavedWorkStayModified) {
    Editing e;
    for (int i = 0; i < 4; ++i) resizePicture(e.doc, 200 + i, 100);
    e.doc.waitForHistoryPacking();
    e.doc.setHistoryBudget(e.doc.historyUsage().bytes / 2);
    while (e.doc.canUndo()) e.doc.undo();
    EXPECT_NE(e.doc.pictureWidth(), 64);  // the loaded picture is out of reach
    EXPECT_TRUE(e.doc.isModified());

    Editing recovered;
    recovered.doc.markNeverSaved();
    EXPECT_TRUE(recovered.doc.isModified());
    recovered.stroke(WarpTool::Twirl, 20, 20);
    recovered.doc.undo();
    EXPECT_TRUE(recovered.doc.isModified());
    recovered.doc.markSaved();
    EXPECT_FALSE(recovered.doc.isModified());
}

}  // namespace
}  // namespace mugwarp
