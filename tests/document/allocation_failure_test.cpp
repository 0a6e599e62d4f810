#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "raster/cell_storage.h"
#include "raster/error.h"
#include "support/picture_checks.h"
#include "support/temp_dir.h"
#include "test_files.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

using test::samePixels;

std::vector<Argb> pattern(int width, int height, int seed) {
    std::vector<Argb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(makeArgb(0, std::uint8_t(x * 4 + seed), std::uint8_t(y * 5), std::uint8_t(x ^ y)));
    return pixels;
}

struct Editing {
    test::TempDir dir;
    std::string path = dir.path("picture.bmp");
    std::string other = dir.path("other.bmp");
    Document doc;
    StrokeController strokes{doc};

    Editing() {
        testing::writeBmp24(path, 64, 48, pattern(64, 48, 0));
        testing::writeBmp24(other, 80, 30, pattern(80, 30, 7));
        doc.loadPicture(path);
        stroke(20, 20, false);
        doc.commitChange();
        stroke(40, 25, false);
        doc.commitChange();
        doc.undo();  // one step to undo, one to redo
    }
    // A stroke on the display, left uncommitted when commit is false.
    void stroke(int x, int y, bool commit = true) {
        strokes.selectTool(WarpTool::Twirl);
        strokes.setBrushSize(17);
        strokes.press({x, y}, {true, false, false});
        strokes.move({x + 3, y + 1}, {true, false, false});
        strokes.tick();
        if (commit) strokes.release();
    }
};

struct HookCleared {
    ~HookCleared() { failAllocationsAfter(-1); }
};

void expectConsistent(const Document& doc) {
    EXPECT_EQ(doc.source().width(), doc.pictureWidth());
    EXPECT_EQ(doc.display().width(), doc.pictureWidth());
    EXPECT_EQ(doc.display().height(), doc.pictureHeight());
    EXPECT_EQ(doc.deformation().width(), doc.source().width());
}

// Makes each memory request of the operation fail in turn, from the first
// until one run needs no more than were allowed. Whenever the operation
// fails, the picture shown, its source and the file name are exactly as
// before, the document stays usable, and the failure is an Error (which the
// window reports).
//
// An operation that must ask for memory fails the test when it never does: it
// would otherwise pass without a failure ever being tried.
void failEveryRequestOf(const char* what, const std::function<void(Editing&)>& prepare,
                        const std::function<void(Editing&)>& operation, bool asksForMemory = true) {
    const HookCleared cleared;
    for (long request = 0; request < 200; ++request) {
        Editing e;
        prepare(e);
        const PixelSurface shown = e.doc.display();
        const PixelSurface source = e.doc.source();
        const std::string file = e.doc.pictureFileName();
        failAllocationsAfter(request);
        bool failed = false;
        try {
            operation(e);
        } catch (const Error&) {
            failed = true;
        }
        const bool hookFired = allocationHookFailed();
        failAllocationsAfter(-1);
        SCOPED_TRACE(std::string(what) + ", request " + std::to_string(request));
        if (!hookFired) {
            // Every request the operation makes has had its turn; one that
            // never asked for memory was never tried at all.
            if (asksForMemory) {
                EXPECT_GT(request, 0) << what << ": the failure hook never fired";
            }
            return;
        }
        if (!failed) {
            // Taken in its stride (a step given up for want of memory): the
            // result must still be a whole, consistent picture.
            expectConsistent(e.doc);
            continue;
        }
        EXPECT_TRUE(samePixels(e.doc.display(), shown));
        EXPECT_TRUE(samePixels(e.doc.source(), source) || samePixels(e.doc.source(), shown));
        EXPECT_EQ(e.doc.pictureFileName(), file);
        expectConsistent(e.doc);
        // The editor goes on: more work, and walking the history, still works.
        e.stroke(30, 30);
        e.doc.undo();
        expectConsistent(e.doc);
    }
    ADD_FAILURE() << what << ": still failing after 200 requests";
}

TEST(AllocationFailure, NoOperationLosesOrHalfReplacesThePicture) {
    const auto nothing = [](Editing&) {};
    failEveryRequestOf("load", nothing, [](Editing& e) { e.doc.loadPicture(e.other); });
    failEveryRequestOf("reload", nothing, [](Editing& e) { e.doc.reloadPicture(e.other); });
    failEveryRequestOf("commit of a step", [](Editing& e) { e.stroke(10, 30, false); },
                       [](Editing& e) { e.doc.commitChange(); });
    // Undo and redo need a step to walk, or they would try nothing at all.
    failEveryRequestOf("undo", [](Editing& e) { e.stroke(10, 30); }, [](Editing& e) { e.doc.undo(); });
    // Redo shows again what undo kept, without asking for memory.
    failEveryRequestOf("redo", [](Editing& e) {
        e.stroke(10, 30);
        e.doc.undo();
    }, [](Editing& e) { e.doc.redo(); }, false);
    failEveryRequestOf("image size", nothing, [](Editing& e) { resizePicture(e.doc, 100, 20); });
    failEveryRequestOf("rotation", nothing, [](Editing& e) { rotatePicture(e.doc, Rotation::Clockwise); });
    // A filter writes its result into the display; the document then takes it as the new picture.
    failEveryRequestOf("filter write-back",
                       [](Editing& e) {
                           for (int y = 0; y < e.doc.display().height(); ++y)
                               for (int x = 0; x < e.doc.display().width(); ++x) e.doc.display().row(y)[x] ^= 0x00FFFFFF;
                           e.doc.display().changed();
                       },
                       [](Editing& e) { e.doc.rebaseFromDisplay(true); });
}

}  // namespace
}  // namespace mugwarp
