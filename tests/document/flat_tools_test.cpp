// The flat picture, the flat-image tools and the canvas operations on a real document.
#include <gtest/gtest.h>

#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/flat_picture.h"
#include "document/flat_tools.h"
#include "raster/error.h"
#include "test_files.h"

namespace mugwarp {
namespace {

// A document with a 40 x 30 picture whose pixel (x, y) is 0x00xxyy80 (x red, y green).
struct FlatFixture {
    test::TempDir dir;
    Document doc;
    FlatTools tools{doc};
    FlatFixture() {
        std::vector<Argb> pixels;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) pixels.push_back(Argb(x) << 16 | Argb(y) << 8 | 0x80);
        testing::writeBmp24(dir.path("p.bmp"), 40, 30, pixels);
        doc.loadPicture(dir.path("p.bmp"));
    }
    Argb flat(int x, int y) const { return flatRow(doc.flatPicture(), y)[x] & 0xFFFFFFu; }
};

TEST(FlatPicture, ClearPaintsKeyedAndEmptyPixelsAsTheFiveByFiveCheckerboard) {
    PlatformBitmap flat(12, 6, 32);
    const Argb key = 0x00FDFEFF;
    flatRow(flat, 0)[0] = key;       // cell (0, 0): grey
    flatRow(flat, 0)[5] = 0;         // cell (1, 0): white
    flatRow(flat, 5)[5] = key;       // cell (1, 1): grey
    flatRow(flat, 1)[1] = 0x01FDFEFF;  // another alpha: kept
    clearFlatPicture(flat, key);
    EXPECT_EQ(flatRow(flat, 0)[0], 0x00B0B0B0u);
    EXPECT_EQ(flatRow(flat, 0)[5], 0x00FFFFFFu);
    EXPECT_EQ(flatRow(flat, 5)[5], 0x00B0B0B0u);
    EXPECT_EQ(flatRow(flat, 1)[1], 0x01FDFEFFu);
}

TEST(FlatPicture, SquaresAreClippedAtEveryEdgeAndSizesFollowTheZoom) {
    const Rect bounds{0, 0, 40, 30};
    struct Case { int column, row, n; Rect expected; };
    for (const Case& c : std::vector<Case>{{-5, 2, 26, {0, 2, 27, 29}},
                                           {30, 25, 10, {30, 25, 40, 30}},
                                           {38, -3, 1, {38, 0, 40, 2}},
                                           {12, 12, 0, {12, 12, 13, 13}},
                                           {40, 0, 3, {}},
                                           {5, 5, -1, {}}}) {
        const Rect r = squareInPicture(c.column, c.row, c.n, bounds);
        EXPECT_TRUE(r == c.expected || (r.isEmpty() && c.expected.isEmpty())) << c.column << "," << c.row;
    }
    EXPECT_EQ(flatSquareSize(26, 100), 26);
    EXPECT_EQ(flatSquareSize(26, 200), 13);  // a 14 x 14 square
    EXPECT_EQ(flatSquareSize(1, 500), 0);
    EXPECT_EQ(flatPictureCoordinate(3, 300), 1);
    EXPECT_EQ(flatPictureCoordinate(99, 200), 49);
    EXPECT_EQ(flatPictureCoordinate(57, 20), 285);
}

TEST(FlatPicture, CropDarkeningSquaresTheLevels) {
    const LevelTable& dark = cropDarkening();
    EXPECT_EQ(dark[0], 0);
    EXPECT_EQ(dark[64], 16);
    EXPECT_EQ(dark[128], 64);
    EXPECT_EQ(dark[200], 157);
    EXPECT_EQ(dark[255], 255);
}

TEST(FlatTools, EraseWritesFlatPictureAndSurfacesAndPickReadsWhatIsShown) {
    FlatFixture f;
    f.doc.selectFlatTool(ToolCode::Erase);
    f.tools.press({-2, 26}, 5);  // columns 0..5, rows 26..29 (clipped)
    EXPECT_EQ(f.flat(0, 29), 0xFFFFFFu);  // cell (0, 5): white
    EXPECT_EQ(f.flat(5, 26), 0xB0B0B0u);  // cell (1, 5): grey
    EXPECT_EQ(f.flat(6, 26), 0x061A80u);
    EXPECT_EQ(f.doc.source().pixel(3, 29), 0x00FDFEFFu);
    f.tools.move({10, 0}, 3);
    EXPECT_EQ(f.flat(13, 3), 0xB0B0B0u);  // cell (2, 0): grey
    f.tools.release();

    f.doc.selectFlatTool(ToolCode::PickColour);
    EXPECT_TRUE(f.tools.press({12, 2}, 5).colourPicked);
    EXPECT_EQ(f.doc.paintColor(), 0xB0B0B0u);
    EXPECT_EQ(f.doc.currentTool(), ToolCode::Paint);
    f.tools.release();

    f.doc.setPaintColor(0x0000FF);  // red
    f.tools.press({20, 10}, 1);
    EXPECT_EQ(f.flat(21, 11), 0xFF0000u);
    EXPECT_EQ(f.doc.source().pixel(21, 11), 0xFEFF0000u);
    f.doc.undo();  // takes back only the last square
    EXPECT_EQ(f.doc.source().pixel(21, 11), 0xFF150B80u);
    EXPECT_EQ(f.doc.source().pixel(3, 29), 0x00FDFEFFu);
    EXPECT_EQ(f.flat(3, 29), 0xFFFFFFu);
}

TEST(FlatTools, CropPreviewDarkensOutsideAndOnTheEdgeThenCrops) {
    FlatFixture f;
    f.doc.selectFlatTool(ToolCode::Crop);
    f.tools.press({30, 20}, 0);
    const auto darkAt = [](int x, int y) {
        const LevelTable& d = cropDarkening();
        return Argb(d[x]) << 16 | Argb(d[y]) << 8 | d[0x80];
    };
    f.tools.move({2, 2}, 0);   // a big rectangle first, then a smaller one:
    f.tools.move({10, 8}, 0);  // the band between them must be redrawn
    EXPECT_EQ(f.tools.cropRect(), (Rect{10, 8, 30, 20}));
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{5, 5}, {10, 12}, {30, 12}, {15, 8}, {15, 20}, {2, 2}})
        EXPECT_EQ(f.flat(x, y), darkAt(x, y)) << x << "," << y;
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{11, 9}, {29, 19}, {20, 12}})
        EXPECT_EQ(f.flat(x, y), f.doc.source().pixel(x, y) & 0xFFFFFFu) << x << "," << y;

    EXPECT_TRUE(f.tools.release().cropped);
    EXPECT_EQ(f.doc.pictureWidth(), 20);
    EXPECT_EQ(f.doc.pictureHeight(), 12);
    EXPECT_EQ(f.doc.source().pixel(0, 0), 0xFF0A0880u);  // border not cleared
    EXPECT_EQ(f.doc.currentTool(), ToolCode::Arrow);
    EXPECT_TRUE(f.doc.sizeChanged());
    EXPECT_TRUE(f.doc.undo().sizeRestored);
    EXPECT_EQ(f.doc.pictureWidth(), 40);

    // A press and release without a drag crops nothing, even after an earlier crop.
    f.doc.selectFlatTool(ToolCode::Crop);
    f.tools.press({5, 5}, 0);
    EXPECT_FALSE(f.tools.release().cropped);
    EXPECT_EQ(f.doc.pictureWidth(), 40);
    EXPECT_EQ(f.flat(0, 0), 0x000080u);
}

TEST(CanvasOperations, LimitsAndConstraint) {
    struct Case { int w, h; ImageSizeLimits expected; };
    for (const Case& c : std::vector<Case>{{640, 480, {64, 5000, 48, 4800}}, {40, 30, {10, 400, 10, 300}}}) {
        const ImageSizeLimits l = imageSizeLimits(c.w, c.h);
        EXPECT_EQ(l.minWidth, c.expected.minWidth);
        EXPECT_EQ(l.maxWidth, c.expected.maxWidth);
        EXPECT_EQ(l.minHeight, c.expected.minHeight);
        EXPECT_EQ(l.maxHeight, c.expected.maxHeight);
    }
    EXPECT_DOUBLE_EQ(proportionalSide(640, 480, 320), 240.0);
    EXPECT_DOUBLE_EQ(proportionalSide(480, 640, 240), 320.0);
}

TEST(CanvasOperations, ResizeAndRotateBakeTheDisplayAndUndoRestoresTheSize) {
    FlatFixture f;
    resizePicture(f.doc, 80, 15);
    EXPECT_EQ(f.doc.pictureWidth(), 80);
    EXPECT_EQ(f.doc.display().pixel(3, 3), 0xFF010680u);
    EXPECT_EQ(alphaOf(f.doc.source().pixel(0, 5)), 0);  // border cleared in the source only
    EXPECT_EQ(alphaOf(f.doc.display().pixel(0, 5)), 255);
    EXPECT_TRUE(f.doc.sizeChanged());
    f.doc.undo();
    EXPECT_EQ(f.doc.pictureWidth(), 40);

    // A size that cannot be had leaves the picture as it was.
    EXPECT_THROW(resizePicture(f.doc, 20000, 20000), Error);
    EXPECT_EQ(f.doc.pictureWidth(), 40);
    EXPECT_FALSE(f.doc.sizeChanged());

    rotatePicture(f.doc, Rotation::Clockwise);
    EXPECT_EQ(f.doc.pictureWidth(), 30);
    EXPECT_EQ(f.doc.display().pixel(0, 0), 0xFF001D80u);  // the old bottom-left corner
    EXPECT_EQ(f.doc.deformation().width(), 30);
    // In the flat mode a canvas operation also refreshes the flat picture.
    f.doc.selectFlatTool(ToolCode::Erase);
    rotatePicture(f.doc, Rotation::HalfTurn);
    EXPECT_EQ(f.doc.flatPicture().width(), 30);
    EXPECT_EQ(f.flat(0, 0), 0x270080u);
}

}  // namespace
}  // namespace mugwarp
