// The freeze mask kept by the document: its steps in the history, and how it
// follows the picture through rotations, Image Size and Crop.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/flat_tools.h"
#include "document/freeze_mask.h"
#include "raster/error.h"
#include "support/picture_checks.h"
#include "test_files.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// Every pixel's colour names its place: red 6 x, green 8 y.
std::vector<Argb> placeColours() {
    std::vector<Argb> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) pixels.push_back(makeArgb(0, std::uint8_t(x * 6), std::uint8_t(y * 8), 0));
    return pixels;
}

// Each cell a different level, none of them zero.
ByteMap patternMask() {
    ByteMap mask(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) mask.setValue(x, y, std::uint8_t(1 + (x * 5 + y * 41) % 255));
    return mask;
}

bool sameMask(const ByteMap& a, const ByteMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
    return true;
}

struct MaskedDocument {
    test::TempDir dir;
    Document doc;
    StrokeController strokes{doc};
    FlatTools flat{doc};
    MaskedDocument() {
        testing::writeBmp24(dir.path("p.bmp"), kWidth, kHeight, placeColours());
        doc.loadPicture(dir.path("p.bmp"));
    }
    void stroke(WarpTool tool, std::vector<PixelPoint> points, int ticks = 0) {
        strokes.selectTool(tool);
        strokes.press(points.front(), {true, false, false});
        for (const PixelPoint p : points) strokes.move(p, {true, false, false});
        for (int i = 0; i < ticks; ++i) strokes.tick();
        strokes.release();
    }
};

// After a change of shape, the cell under each displayed pixel holds the
// level of the cell under that pixel's place before.
void expectMaskFollowsPixels(const Document& doc, const ByteMap& before, const std::string& what) {
    const ByteMap& mask = doc.freezeMask();
    ASSERT_EQ(mask.width(), doc.pictureWidth()) << what;
    ASSERT_EQ(mask.height(), doc.pictureHeight()) << what;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const Argb p = doc.display().pixel(x, y);
            const int fromX = int((p >> 16) & 0xFF) / 6;
            const int fromY = int((p >> 8) & 0xFF) / 8;
            ASSERT_EQ(mask.value(x, y), before.value(fromX, fromY)) << what << " at " << x << "," << y;
        }
    }
}

TEST(FreezeMaskDocument, FollowsRotationsImageSizeAndCropAndUndoTakesItBack) {
    const struct { const char* name; std::function<void(MaskedDocument&)> change; } cases[] = {
        {"quarter turn clockwise", [](MaskedDocument& m) { rotatePicture(m.doc, Rotation::Clockwise); }},
        {"quarter turn back", [](MaskedDocument& m) { rotatePicture(m.doc, Rotation::CounterClockwise); }},
        {"half turn", [](MaskedDocument& m) { rotatePicture(m.doc, Rotation::HalfTurn); }},
        {"image size up", [](MaskedDocument& m) { resizePicture(m.doc, 77, 41); }},
        {"image size down", [](MaskedDocument& m) { resizePicture(m.doc, 13, 29); }},
        {"crop", [](MaskedDocument& m) {
             m.doc.selectFlatTool(ToolCode::Crop);
             m.flat.press({31, 22}, 0);
             m.flat.move({7, 5}, 0);
             ASSERT_TRUE(m.flat.release().cropped);
         }},
    };
    for (const auto& c : cases) {
        MaskedDocument m;
        const ByteMap before = patternMask();
        m.doc.setFreezeMask(before);
        EXPECT_FALSE(m.doc.canUndo()) << c.name;  // a loaded mask is no step
        c.change(m);
        expectMaskFollowsPixels(m.doc, before, c.name);
        const ByteMap after = m.doc.freezeMask();
        ASSERT_TRUE(m.doc.undo().applied) << c.name;
        EXPECT_TRUE(sameMask(m.doc.freezeMask(), before)) << c.name;
        EXPECT_FALSE(m.doc.canUndo()) << c.name;  // picture and mask were one step
        ASSERT_TRUE(m.doc.redo().applied) << c.name;
        EXPECT_TRUE(sameMask(m.doc.freezeMask(), after)) << c.name;
    }
}

TEST(FreezeMaskDocument, EachNewToolIsOneStepThatUndoesAndRedoesExactly) {
    const struct { const char* name; std::function<void(MaskedDocument&)> change; } cases[] = {
        {"reconstruct", [](MaskedDocument& m) { m.stroke(WarpTool::Reconstruct, {{20, 15}, {22, 15}}, 6); }},
        {"smooth", [](MaskedDocument& m) { m.stroke(WarpTool::Smooth, {{20, 15}, {22, 16}}, 6); }},
        {"freeze", [](MaskedDocument& m) { m.stroke(WarpTool::Freeze, {{10, 10}, {14, 12}}, 3); }},
        {"thaw", [](MaskedDocument& m) { m.stroke(WarpTool::Thaw, {{30, 23}}, 3); }},
        {"freeze none", [](MaskedDocument& m) { m.doc.freezeNone(); }},
        {"invert freeze", [](MaskedDocument& m) { m.doc.invertFreeze(); }},
    };
    for (const auto& c : cases) {
        MaskedDocument m;
        m.strokes.setBrushSize(24);
        m.strokes.setEffect(50);
        m.doc.setFreezeMask(ByteMap());
        m.stroke(WarpTool::Freeze, {{33, 25}}, 4);  // a frozen corner for Thaw and the commands
        m.stroke(WarpTool::Putty, {{12, 12}, {16, 14}, {19, 17}, {23, 19}});  // something to reconstruct
        const PixelSurface shownBefore = m.doc.display();
        const ByteMap maskBefore = m.doc.freezeMask();
        const int stepsBefore = m.doc.historyUsage().undoSteps;
        c.change(m);
        const PixelSurface shownAfter = m.doc.display();
        const ByteMap maskAfter = m.doc.freezeMask();
        EXPECT_EQ(m.doc.historyUsage().undoSteps, stepsBefore + 1) << c.name;
        EXPECT_TRUE(!test::samePixels(shownAfter, shownBefore) || !sameMask(maskAfter, maskBefore)) << c.name;
        ASSERT_TRUE(m.doc.undo().applied) << c.name;
        EXPECT_TRUE(test::samePixels(m.doc.display(), shownBefore)) << c.name;
        EXPECT_TRUE(sameMask(m.doc.freezeMask(), maskBefore)) << c.name;
        ASSERT_TRUE(m.doc.redo().applied) << c.name;
        EXPECT_TRUE(test::samePixels(m.doc.display(), shownAfter)) << c.name;
        EXPECT_TRUE(sameMask(m.doc.freezeMask(), maskAfter)) << c.name;
    }
}

TEST(FreezeMaskDocument, CommandsAndLoadsGiveTheDocumentedMasks) {
    MaskedDocument m;
    EXPECT_EQ(m.doc.freezeMask().width(), 0);
    m.doc.invertFreeze();  // nothing frozen: everything frozen
    ASSERT_EQ(m.doc.freezeMask().width(), kWidth);
    EXPECT_EQ(m.doc.freezeMask().value(0, 0), 255);
    EXPECT_EQ(m.doc.freezeMask().value(kWidth - 1, kHeight - 1), 255);
    m.doc.invertFreeze();  // nothing again, kept as no mask at all
    EXPECT_EQ(m.doc.freezeMask().width(), 0);
    m.stroke(WarpTool::Thaw, {{5, 5}});  // nothing to thaw: no step
    EXPECT_EQ(m.doc.historyUsage().undoSteps, 2);

    // Hostile sizes are refused and change nothing.
    m.doc.setFreezeMask(patternMask());
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{kWidth + 1, kHeight}, {kWidth, 1}, {1, 1}}) {
        EXPECT_THROW(m.doc.setFreezeMask(ByteMap(w, h)), Error) << w << "x" << h;
        EXPECT_TRUE(sameMask(m.doc.freezeMask(), patternMask()));
    }
    // Flat tools and a filter-style rebase of the same size leave it alone.
    m.doc.selectFlatTool(ToolCode::Erase);
    m.flat.press({3, 3}, 4);
    m.flat.release();
    m.doc.selectArrowTool();
    m.doc.rebaseFromDisplay(true);
    EXPECT_TRUE(sameMask(m.doc.freezeMask(), patternMask()));
    // Another picture starts with nothing frozen.
    m.doc.loadPicture();
    EXPECT_EQ(m.doc.freezeMask().width(), 0);
    EXPECT_FALSE(m.doc.canUndo());
}

TEST(FreezeMaskDocument, AFrozenEyeStaysWhileTwirlingAcrossIt) {
    MaskedDocument m;
    m.strokes.setBrushSize(20);
    m.strokes.setEffect(100);
    m.stroke(WarpTool::Freeze, {{10, 15}}, 10);
    ASSERT_EQ(m.doc.freezeMask().value(10, 15), 255);
    const PixelSurface before = m.doc.display();
    m.strokes.setEffect(0);
    m.stroke(WarpTool::Twirl, {{4, 15}, {10, 15}, {16, 15}, {22, 15}}, 10);
    for (int y = 13; y <= 17; ++y)
        for (int x = 8; x <= 12; ++x) EXPECT_EQ(m.doc.display().pixel(x, y), before.pixel(x, y)) << x << "," << y;
    EXPECT_FALSE(test::samePixels(m.doc.display(), before));
}

TEST(MaskPatch, ChangedCellsFindsTheTightRectangle) {
    ByteMap a(9, 7), b(9, 7);
    EXPECT_TRUE(changedCells(a, b).isEmpty());
    b.setValue(2, 5, 1);
    b.setValue(6, 1, 9);
    EXPECT_EQ(changedCells(a, b), (Rect{2, 1, 7, 6}));
    b = a;
    b.setValue(8, 6, 3);
    EXPECT_EQ(changedCells(a, b), (Rect{8, 6, 9, 7}));
    MaskPatch::cut(b, changedCells(a, b)).putInto(a);
    EXPECT_TRUE(changedCells(a, b).isEmpty());
}

}  // namespace
}  // namespace mugwarp
