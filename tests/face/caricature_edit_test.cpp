#include "face/caricature_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "document/document.h"
#include "support/picture_checks.h"
#include "support/synthetic_face.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

using test::samePixels;
using test::syntheticFace;

const std::string kPortrait = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";

LandmarkSet meanFace() { return syntheticFace({.centreX = 1000, .eyesY = 1000, .eyeDistance = 1}); }
LandmarkSet portraitFace() { return syntheticFace({.centreX = 256, .eyesY = 220, .eyeDistance = 90, .tilt = 0.05, .jitter = 0.01, .character = 0.15, .seed = 11}); }

CaricatureSettings strong() {
    CaricatureSettings s;
    s[FaceFeature::Exaggerate] = 200;
    s[FaceFeature::EyeSize] = 40;
    return s;
}

bool sameMap(const DisplacementMap& a, const DisplacementMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!(a.vector(x, y) == b.vector(x, y))) return false;
    return true;
}

// A document with a stroke already made, so that the caricature is composed
// with a deformation that is not the identity.
struct WarpedPortrait {
    Document document;
    WarpedPortrait() {
        document.loadPicture(kPortrait);
        StrokeController strokes(document);
        strokes.selectTool(WarpTool::Warp);
        strokes.press({240, 300}, MouseButtons{true, false});
        strokes.move({260, 310}, MouseButtons{true, false});
        strokes.release();
    }
};

TEST(CaricatureEdit, IsOneStepThatUndoesAndRedoesExactly) {
    WarpedPortrait w;
    Document& doc = w.document;
    const PixelSurface before = doc.display();
    const DisplacementMap mapBefore = doc.deformation();
    applyCaricature(doc, portraitFace(), meanFace(), strong());
    const PixelSurface after = doc.display();
    EXPECT_FALSE(samePixels(before, after));
    // Outside the face's region the deformation and the picture are as they were.
    const Rect region = faceWarpRegion(caricatureMoves(portraitFace(), meanFace(), {}).from, doc.display().bounds());
    for (int y = 0; y < doc.pictureHeight(); ++y) {
        for (int x = 0; x < doc.pictureWidth(); ++x) {
            if (region.contains(x, y)) continue;
            ASSERT_EQ(doc.deformation().vector(x, y), mapBefore.vector(x, y)) << x << "," << y;
            ASSERT_EQ(doc.display().pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
    }
    const HistoryUsage usage = doc.historyUsage();
    EXPECT_EQ(usage.undoSteps, 2);  // the stroke and the caricature
    ASSERT_TRUE(doc.undo().applied);
    EXPECT_TRUE(samePixels(doc.display(), before));
    ASSERT_TRUE(doc.redo().applied);
    EXPECT_TRUE(samePixels(doc.display(), after));
}

TEST(CaricatureEdit, CancelLeavesPictureAndDeformationExactlyAndNoStep) {
    WarpedPortrait w;
    Document& doc = w.document;
    const PixelSurface before = doc.display();
    const DisplacementMap mapBefore = doc.deformation();
    const int stepsBefore = doc.historyUsage().undoSteps;
    {
        CaricatureEdit edit(doc, portraitFace(), meanFace());
        edit.show(strong());
        EXPECT_FALSE(samePixels(doc.display(), before));
        CaricatureSettings other = strong();
        other[FaceFeature::Smile] = -80;
        edit.show(other);
        edit.cancel();
    }
    EXPECT_TRUE(samePixels(doc.display(), before));
    EXPECT_TRUE(sameMap(doc.deformation(), mapBefore));
    EXPECT_EQ(doc.historyUsage().undoSteps, stepsBefore);
}

// Moving the sliders back and forth before OK gives what one move straight
// to the last settings gives: each look starts from the kept deformation.
TEST(CaricatureEdit, SettingsTriedBeforeOkLeaveNoTrace) {
    Document direct;
    direct.loadPicture(kPortrait);
    applyCaricature(direct, portraitFace(), meanFace(), strong());

    Document tried;
    tried.loadPicture(kPortrait);
    CaricatureEdit edit(tried, portraitFace(), meanFace());
    CaricatureSettings wild;
    wild[FaceFeature::HeadSize] = 100;
    wild[FaceFeature::Smile] = 100;
    edit.show(wild);
    edit.show(CaricatureSettings{});
    // The last look a coarse preview, as the panel shows a reduced view:
    // OK renders at full resolution all the same.
    edit.show(strong(), 4);
    EXPECT_FALSE(samePixels(tried.display(), direct.display()));
    edit.accept();
    EXPECT_TRUE(samePixels(tried.display(), direct.display()));
    EXPECT_TRUE(sameMap(tried.deformation(), direct.deformation()));
    EXPECT_EQ(tried.historyUsage().undoSteps, 1);
}

// A script that will never undo keeps no picture for undo: cancelling (as
// an edit dropped by an error does) renders the kept deformation instead.
TEST(CaricatureEdit, CancelWithoutHistoryStillLeavesThePictureAsItWas) {
    Document doc;
    doc.stopKeepingHistory();
    doc.loadPicture(kPortrait);
    const PixelSurface before = doc.display();
    {
        CaricatureEdit edit(doc, portraitFace(), meanFace());
        edit.show(strong());
        EXPECT_FALSE(samePixels(doc.display(), before));
    }  // dropped unaccepted
    EXPECT_TRUE(samePixels(doc.display(), before));
}

TEST(CaricatureEdit, NeutralSettingsChangeNothingAndMakeNoStep) {
    Document doc;
    doc.loadPicture(kPortrait);
    const PixelSurface before = doc.display();
    applyCaricature(doc, portraitFace(), meanFace(), CaricatureSettings{});
    EXPECT_TRUE(samePixels(doc.display(), before));
    EXPECT_FALSE(doc.canUndo());
}

}  // namespace
}  // namespace mugwarp
