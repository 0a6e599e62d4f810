#include "document/document.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "formats/picture_io.h"
#include "raster/error.h"
#include "support/document_checks.h"
#include "support/picture_checks.h"
#include "test_files.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

using test::TempDir;
using test::deformationIsIdentity;
using test::samePixels;

std::vector<Argb> gradient(int width, int height) {
    std::vector<Argb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(makeArgb(0, std::uint8_t(x * 9), std::uint8_t(y * 11), std::uint8_t(x + y)));
    return pixels;
}

void checkInvariants(const Document& doc) {
    EXPECT_EQ(doc.source().width(), doc.pictureWidth());
    EXPECT_EQ(doc.source().height(), doc.pictureHeight());
    EXPECT_EQ(doc.display().width(), doc.pictureWidth());
    EXPECT_EQ(doc.display().height(), doc.pictureHeight());
    EXPECT_EQ(doc.deformation().width(), doc.pictureWidth());
    EXPECT_EQ(doc.deformation().height(), doc.pictureHeight());
    EXPECT_EQ(doc.remap().srcRect(), (FloatRect{0, 0, float(doc.pictureWidth()), float(doc.pictureHeight())}));
    EXPECT_EQ(doc.remap().mappingRect(), (FloatRect{0, 0, float(doc.pictureWidth()), float(doc.pictureHeight())}));
}

// A document with a 40 x 30 gradient BMP loaded.
struct LoadedDocument {
    TempDir dir;
    std::string bmp = dir.path("picture.bmp");
    Document doc;
    LoadedDocument() {
        testing::writeBmp24(bmp, 40, 30, gradient(40, 30));
        doc.loadPicture(bmp);
    }
    // One Twirl stroke through the stroke controller.
    void twirl(StrokeController& strokes) {
        strokes.selectTool(WarpTool::Twirl);
        strokes.setBrushSize(15);
        strokes.press({20, 15}, {true, false, false});
        strokes.move({21, 15}, {true, false, false});
        strokes.tick();
        strokes.release();
    }
};

TEST(Document, StartsEmptyWithTheBuiltInDefaults) {
    Document doc;
    EXPECT_FALSE(doc.pictureLoaded());
    EXPECT_EQ(doc.pictureWidth(), 0);
    EXPECT_EQ(doc.pictureHeight(), 0);
    EXPECT_EQ(doc.currentTool(), ToolCode::Arrow);
    EXPECT_FALSE(doc.sizeChanged());
    EXPECT_EQ(doc.keyColor(), 0u);
    EXPECT_EQ(doc.paintColor(), 0u);
    EXPECT_EQ(doc.eraseSize(), 26);
    EXPECT_EQ(doc.outerColor(), 0x00FDFEFFu);
    EXPECT_EQ(doc.display().outerColor(), 0x00FDFEFFu);
    EXPECT_TRUE(doc.pictureFileName().empty());
    EXPECT_TRUE(doc.source().isEmpty());
}

TEST(Document, LoadsABmpAsTheUndeformedOpaquePicture) {
    LoadedDocument f;
    const Document& doc = f.doc;
    EXPECT_TRUE(doc.pictureLoaded());
    EXPECT_EQ(doc.pictureWidth(), 40);
    EXPECT_EQ(doc.pictureHeight(), 30);
    EXPECT_EQ(doc.pictureFileName(), f.bmp);
    checkInvariants(doc);
    EXPECT_TRUE(deformationIsIdentity(doc));
    EXPECT_EQ(doc.source().pixel(0, 0), 0xFF000000u);  // the border stays opaque
    EXPECT_EQ(doc.source().pixel(39, 29), makeArgb(255, std::uint8_t(39 * 9), std::uint8_t(29 * 11), 68));
    EXPECT_TRUE(samePixels(doc.display(), doc.source()));
    EXPECT_TRUE(samePixels(doc.undoPicture(), doc.source()));
    EXPECT_EQ(doc.flatPicture().width(), 40);
    EXPECT_EQ(doc.flatPicture().pixelArgb(5, 7), doc.source().pixel(5, 7));
    EXPECT_EQ(doc.keyColor(), 0xFDFEFFu);
    EXPECT_EQ(doc.outerColor(), 0x00FDFEFFu);
    EXPECT_EQ(doc.display().outerColor(), 0x00FDFEFFu);
    EXPECT_EQ(doc.source().samplerKind(), SamplerKind::Bilinear);
    EXPECT_EQ(doc.source().combineMode(), CombineMode::Merge);
}

TEST(Document, LoadingAPictureOfTheSameSizeClearsTheDeformation) {
    LoadedDocument f;
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    ASSERT_FALSE(deformationIsIdentity(f.doc));
    f.doc.setSizeChanged(true);
    f.doc.loadPicture(f.bmp);
    EXPECT_TRUE(deformationIsIdentity(f.doc));
    EXPECT_FALSE(f.doc.sizeChanged());
    EXPECT_TRUE(samePixels(f.doc.display(), f.doc.source()));
}

TEST(Document, APictureThatFailsToLoadLeavesTheDocumentAsItWas) {
    LoadedDocument f;
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    const PixelSurface source = f.doc.source();
    const PixelSurface display = f.doc.display();
    const PixelSurface undo = f.doc.undoPicture();
    const DisplacementMap deformation = f.doc.deformation();

    const std::string corrupt = f.dir.path("broken.jpg");
    testing::writeBytes(corrupt, {0xFF, 0xD8, 0xFF, 0xE0, 0x00});
    const std::string cutGif = f.dir.path("broken.gif");
    testing::writeBytes(cutGif, {'G', 'I', 'F', '8', '9', 'a', 4, 0});
    const std::string unknown = f.dir.path("picture.png");
    testing::writeBytes(unknown, {1, 2, 3});
    for (const std::string& path : {corrupt, cutGif, unknown, f.dir.path("missing.bmp")}) {
        EXPECT_THROW(f.doc.loadPicture(path), Error) << path;
        EXPECT_EQ(f.doc.pictureFileName(), f.bmp);
        EXPECT_EQ(f.doc.pictureWidth(), 40);
        EXPECT_TRUE(samePixels(f.doc.source(), source));
        EXPECT_TRUE(samePixels(f.doc.display(), display));
        EXPECT_TRUE(samePixels(f.doc.undoPicture(), undo));
        EXPECT_EQ(f.doc.deformation().vector(23, 15), deformation.vector(23, 15));
        EXPECT_EQ(f.doc.keyColor(), 0xFDFEFFu);
        checkInvariants(f.doc);
    }
}

TEST(Document, AFailedFirstLoadLeavesNoPicture) {
    TempDir dir;
    Document doc;
    EXPECT_THROW(doc.loadPicture(dir.path("missing.jpg")), Error);
    EXPECT_FALSE(doc.pictureLoaded());
    EXPECT_TRUE(doc.pictureFileName().empty());
    EXPECT_FALSE(doc.undo().applied);
}

TEST(Document, AGifKeysAwayItsTransparentColourEverywhere) {
    TempDir dir;
    const std::string gif = dir.path("keyed.gif");
    // Index 1 (green) is transparent; it occurs at two places.
    testing::writeGif(gif, 3, 2, {0xFFFFFF, 0x00FF00, 0x0000FF, 0x102030}, {0, 1, 2, 3, 1, 0}, 1);
    Document doc;
    doc.loadPicture(gif);
    checkInvariants(doc);
    EXPECT_EQ(doc.keyColor(), 0x00FF00u);                // platform colour: green in the middle byte
    EXPECT_EQ(doc.outerColor(), 0x0000FF00u);            // alpha 0 with the key's colour
    EXPECT_EQ(doc.display().outerColor(), 0x0000FF00u);
    EXPECT_EQ(doc.source().pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(alphaOf(doc.source().pixel(1, 0)), 0);
    EXPECT_EQ(alphaOf(doc.source().pixel(1, 1)), 0);
    EXPECT_EQ(doc.source().pixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(doc.source().pixel(0, 1), 0xFF102030u);
    EXPECT_TRUE(samePixels(doc.display(), doc.source()));
}

TEST(Document, AGifWithoutTransparentColourLoadsFullyOpaque) {
    TempDir dir;
    const std::string gif = dir.path("opaque.gif");
    testing::writeGif(gif, 2, 2, {0xFFFFFF, 0x000000}, {0, 1, 1, 0}, std::nullopt);
    Document doc;
    doc.loadPicture(gif);
    EXPECT_EQ(doc.keyColor(), kNoKeyColor);
    EXPECT_EQ(doc.source().pixel(0, 0), 0xFFFFFFFFu);  // white stays visible
    EXPECT_EQ(doc.source().pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(doc.source().pixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(doc.outerColor(), 0x00FFFFFFu);
}

TEST(Document, RebaseBakesTheDeformationAndClearsTheSourceBorderOnRequest) {
    LoadedDocument f;
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    const PixelSurface shown = f.doc.display();
    f.doc.rebaseFromDisplay(true);
    checkInvariants(f.doc);
    EXPECT_TRUE(deformationIsIdentity(f.doc));
    EXPECT_TRUE(samePixels(f.doc.display(), shown));  // the display keeps its border
    EXPECT_EQ(alphaOf(f.doc.source().pixel(0, 0)), 0);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(39, 17)), 0);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(12, 29)), 0);
    EXPECT_EQ(f.doc.source().pixel(1, 1), shown.pixel(1, 1));
    EXPECT_EQ(f.doc.source().pixel(20, 15), shown.pixel(20, 15));
    EXPECT_EQ(f.doc.source().pixel(0, 0) & 0xFFFFFF, shown.pixel(0, 0) & 0xFFFFFF);

    PixelSurface cropped(10, 8);
    cropped.fillRect(cropped.bounds(), 0xFF336699);
    f.doc.rebasePicture(cropped, false);
    checkInvariants(f.doc);
    EXPECT_EQ(f.doc.pictureWidth(), 10);
    EXPECT_EQ(f.doc.source().pixel(0, 0), 0xFF336699u);
    EXPECT_EQ(f.doc.source().samplerKind(), SamplerKind::Bilinear);
    EXPECT_EQ(f.doc.outerColor(), 0x00FDFEFFu);
}

// The map is cleared only when something may have written to it since it
// was last cleared: every way back to an undeformed picture after a stroke
// must find it all zero.
TEST(Document, EveryRebaseAfterAStrokeClearsTheDeformation) {
    const std::vector<std::pair<const char*, std::function<void(Document&)>>> endings = {
        {"rebase", [](Document& d) { d.rebaseFromDisplay(true); }},
        {"undo", [](Document& d) { d.undo(); }},
        {"restore", [](Document& d) { d.restore(); }},
        {"reload", [](Document& d) { d.reloadPicture(); }},
        {"same-size picture", [](Document& d) { d.rebasePicture(PixelSurface(40, 30), false); }},
    };
    // A stroke on the loaded picture, on one already rebased, and without history.
    for (const auto& [name, end] : endings)
        for (int start = 0; start < 3; ++start) {
            if (start == 2 && std::string(name) == "undo") continue;  // nothing to undo then
            LoadedDocument f;
            StrokeController strokes(f.doc);
            if (start == 1) f.doc.rebaseFromDisplay(true);
            if (start == 2) f.doc.stopKeepingHistory();
            f.twirl(strokes);
            end(f.doc);
            EXPECT_TRUE(deformationIsIdentity(f.doc)) << name << ", start " << start;
            checkInvariants(f.doc);
        }
}

TEST(Document, ThinPicturesBecomeFullyTransparentWhenTheBorderIsCleared) {
    LoadedDocument f;
    PixelSurface thin(2, 5);
    thin.fillRect(thin.bounds(), 0xFF808080);
    f.doc.rebasePicture(thin, true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(f.doc.source().pixel(x, y), 0x00808080u);
}

TEST(Document, UndoReturnsToThePictureBeforeTheLastStroke) {
    LoadedDocument f;
    const PixelSurface loaded = f.doc.display();
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    const PixelSurface afterFirst = f.doc.display();
    f.twirl(strokes);
    ASSERT_FALSE(samePixels(f.doc.display(), afterFirst));
    const Document::UndoResult result = f.doc.undo();
    EXPECT_TRUE(result.applied);
    EXPECT_FALSE(result.sizeRestored);
    EXPECT_TRUE(samePixels(f.doc.display(), afterFirst));
    EXPECT_TRUE(samePixels(f.doc.source(), afterFirst));
    EXPECT_TRUE(deformationIsIdentity(f.doc));
    checkInvariants(f.doc);
    // A second undo goes further back, to the picture as loaded.
    f.doc.undo();
    EXPECT_TRUE(samePixels(f.doc.display(), loaded));
}

TEST(Document, UndoAfterAResizeRestoresTheSize) {
    LoadedDocument f;
    f.doc.snapshotForUndo();
    PixelSurface rotated(30, 40);
    f.doc.rebasePicture(rotated, true);
    f.doc.setSizeChanged(true);
    const Document::UndoResult result = f.doc.undo();
    EXPECT_TRUE(result.sizeRestored);
    EXPECT_FALSE(f.doc.sizeChanged());
    EXPECT_EQ(f.doc.pictureWidth(), 40);
    EXPECT_EQ(f.doc.pictureHeight(), 30);
    EXPECT_EQ(f.doc.flatPicture().width(), 40);
    checkInvariants(f.doc);
}

TEST(Document, UndoBeforeAnyPictureDoesNothing) {
    Document doc;
    int notifications = 0;
    doc.setDisplayChangeHandler([&](const Rect&) { ++notifications; });
    const Document::UndoResult result = doc.undo();
    EXPECT_FALSE(result.applied);
    EXPECT_FALSE(doc.pictureLoaded());
    EXPECT_TRUE(doc.source().isEmpty());
    EXPECT_EQ(notifications, 0);
}

TEST(Document, TellsTheViewWhichPartOfTheDisplayChanged) {
    LoadedDocument f;
    std::vector<Rect> changes;
    f.doc.setDisplayChangeHandler([&](const Rect& r) { changes.push_back(r); });
    StrokeController strokes(f.doc);
    strokes.selectTool(WarpTool::Warp);
    strokes.setBrushSize(11);
    strokes.press({10, 10}, {false, true, false});
    changes.clear();
    const Rect applied = strokes.move({10, 10}, {false, true, false});
    EXPECT_EQ(applied, (Rect{5, 5, 16, 16}));
    ASSERT_FALSE(changes.empty());
    for (const Rect& r : changes) EXPECT_EQ(r.united(applied), applied);
    changes.clear();
    f.doc.loadPicture(f.bmp);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), (Rect{0, 0, 40, 30}));
}

TEST(Document, EraseAndPaintWriteSourceAndDisplayClippedToThePicture) {
    LoadedDocument f;
    f.doc.setCurrentTool(ToolCode::Warp);
    EXPECT_TRUE(f.doc.erase(3, 3, 4).isEmpty());  // not a flat tool

    f.doc.setCurrentTool(ToolCode::Erase);
    // A press left of the picture: columns 0 to 26 of rows 2 to 28.
    EXPECT_EQ(f.doc.erase(-5, 2, 26), (Rect{0, 2, 27, 29}));
    EXPECT_EQ(f.doc.source().pixel(26, 28), 0x00FDFEFFu);
    EXPECT_EQ(f.doc.display().pixel(0, 2), 0x00FDFEFFu);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(27, 2)), 255);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(5, 1)), 255);

    f.doc.setCurrentTool(ToolCode::Paint);
    f.doc.setPaintColor(0x0000FF);  // platform red
    // Reaching the last row and column: clipped, not dropped.
    EXPECT_EQ(f.doc.erase(35, 25, 10), (Rect{35, 25, 40, 30}));
    EXPECT_EQ(f.doc.source().pixel(39, 29), 0xFEFF0000u);
    EXPECT_EQ(f.doc.display().pixel(35, 25), 0xFEFF0000u);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(34, 25)), 255);
    EXPECT_TRUE(f.doc.erase(50, 40, 3).isEmpty());
}

TEST(Document, ChoosingAWarpToolLeavesTheFlatToolsFromTheEditedSource) {
    LoadedDocument f;
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    f.doc.setCurrentTool(ToolCode::Erase);
    f.doc.erase(0, 0, 5);
    strokes.selectTool(WarpTool::Putty);
    EXPECT_EQ(f.doc.currentTool(), ToolCode::Putty);
    EXPECT_TRUE(deformationIsIdentity(f.doc));
    EXPECT_TRUE(samePixels(f.doc.display(), f.doc.source()));
    EXPECT_EQ(alphaOf(f.doc.display().pixel(2, 2)), 0);
    EXPECT_TRUE(samePixels(f.doc.undoPicture(), f.doc.display()));
    EXPECT_FALSE(f.doc.sizeChanged());
}

}  // namespace
}  // namespace mugwarp

namespace mugwarp {
namespace {

TEST(DocumentTools, FlatToolsBakeTheDeformationAndTheArrowToolClearsIt) {
    LoadedDocument f;
    StrokeController strokes(f.doc);
    f.twirl(strokes);
    EXPECT_TRUE(strokes.timerShouldRun());
    const PixelSurface shown = f.doc.display();
    f.doc.setSizeChanged(true);
    EXPECT_TRUE(f.doc.selectFlatTool(ToolCode::Erase));
    EXPECT_FALSE(strokes.timerShouldRun());
    EXPECT_EQ(f.doc.currentTool(), ToolCode::Erase);
    EXPECT_FALSE(f.doc.sizeChanged());
    EXPECT_TRUE(samePixels(f.doc.source(), shown));
    EXPECT_TRUE(samePixels(f.doc.undoPicture(), shown));
    EXPECT_EQ(f.doc.flatPicture().pixelArgb(20, 15), shown.pixel(20, 15));
    EXPECT_FALSE(deformationIsIdentity(f.doc));  // until the flat mode ends
    EXPECT_EQ(f.doc.source().samplerKind(), SamplerKind::Bilinear);

    f.doc.erase(0, 0, 3);
    EXPECT_FALSE(f.doc.selectFlatTool(ToolCode::Crop));  // between flat tools: edits kept
    EXPECT_EQ(alphaOf(f.doc.source().pixel(1, 1)), 0);

    f.doc.selectArrowTool();
    EXPECT_EQ(f.doc.currentTool(), ToolCode::Arrow);
    EXPECT_TRUE(deformationIsIdentity(f.doc));
    EXPECT_TRUE(samePixels(f.doc.display(), f.doc.source()));
    EXPECT_EQ(alphaOf(f.doc.display().pixel(1, 1)), 0);
}

TEST(DocumentTools, FlatToolsNeedAPicture) {
    Document doc;
    EXPECT_FALSE(doc.selectFlatTool(ToolCode::Paint));
    EXPECT_EQ(doc.currentTool(), ToolCode::Arrow);
}

// What the eraser made transparent stays transparent through a save as BMP
// and a reopen.
TEST(DocumentLoad, ErasedAreasSurviveABmpRoundTrip) {
    LoadedDocument f;
    f.doc.selectFlatTool(ToolCode::Erase);
    const Rect erased = f.doc.erase(5, 5, 3);
    ASSERT_FALSE(erased.isEmpty());
    f.doc.rebuildFromSource();
    const std::string saved = f.dir.path("erased.bmp");
    savePicture(f.doc.display(), saved, f.doc.keyColor());
    Document reopened;
    reopened.loadPicture(saved);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(alphaOf(reopened.display().pixel(x, y)), erased.contains(x, y) ? 0 : 255) << x << "," << y;
}

// A GIF without a transparent colour opens opaque; what is then erased
// becomes transparent in the saved GIF, while its white stays visible.
TEST(DocumentLoad, ErasedAreasOfAGifWithoutKeySurviveAGifRoundTrip) {
    TempDir dir;
    const std::string gif = dir.path("opaque.gif");
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < 12 * 10; ++i) indices.push_back(std::uint8_t(i % 3 == 0 ? 0 : 1));
    testing::writeGif(gif, 12, 10, {0xFFFFFF, 0x204060}, indices, std::nullopt);
    Document doc;
    doc.loadPicture(gif);
    ASSERT_TRUE(doc.selectFlatTool(ToolCode::Erase));
    const Rect erased = doc.erase(3, 2, 4);
    ASSERT_FALSE(erased.isEmpty());
    doc.rebuildFromSource();
    const std::string saved = dir.path("saved.gif");
    savePicture(doc.display(), saved, doc.keyColor());
    Document reopened;
    reopened.loadPicture(saved);
    EXPECT_EQ(reopened.keyColor(), kDefaultKeyColor);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(alphaOf(reopened.display().pixel(x, y)), erased.contains(x, y) ? 0 : 255) << x << "," << y;
    EXPECT_EQ(reopened.display().pixel(0, 0), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace mugwarp
