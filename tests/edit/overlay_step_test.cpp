#include "edit/overlay_step.h"

#include <gtest/gtest.h>

#include <vector>

#include "document/document.h"
#include "formats/picture_io.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

struct Editing {
    test::TempDir dir;
    Document doc;
    OverlayStack stack;
    Editing() {
        PixelSurface picture(20, 10);
        picture.fillRect(picture.bounds(), 0xFF336699);
        const std::string path = dir.path("p.bmp");
        savePicture(picture, path, 0);
        doc.loadPicture(path);
    }
    std::vector<FloatRect> places() const {
        std::vector<FloatRect> out;
        for (std::size_t i = 0; i < stack.size(); ++i) out.push_back(stack.at(i).location);
        return out;
    }
};

Overlay sticker(float left, int width) { return Overlay{{left, 0, left + static_cast<float>(width), 4}, PixelSurface(width, 4)}; }

TEST(OverlaySteps, InsertPlaceAndDeleteWalkBackAndForthInOrder) {
    Editing e;
    std::vector<std::vector<FloatRect>> states{e.places()};
    insertOverlay(e.doc, e.stack, sticker(0, 3));
    states.push_back(e.places());
    insertOverlay(e.doc, e.stack, sticker(10, 5));
    states.push_back(e.places());
    const FloatRect before = e.stack.at(0).location;
    e.stack.at(0).location = {2, 2, 9, 9};
    recordOverlayPlaced(e.doc, e.stack, 0, before);
    states.push_back(e.places());
    recordOverlayPlaced(e.doc, e.stack, 0, e.stack.at(0).location);  // ended where it began: no step
    deleteOverlay(e.doc, e.stack, 0);  // the lower one: the upper one moves down
    states.push_back(e.places());
    deleteOverlay(e.doc, e.stack, 7);  // nothing there
    EXPECT_EQ(e.doc.historyUsage().undoSteps, 4);

    for (std::size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(e.doc.undo().objectsChanged);
        EXPECT_EQ(e.places(), states[i]) << "undo to " << i;
    }
    EXPECT_FALSE(e.doc.isModified());
    for (std::size_t i = 1; i < states.size(); ++i) {
        e.doc.redo();
        EXPECT_EQ(e.places(), states[i]) << "redo to " << i;
    }
}

TEST(OverlaySteps, ThePictureIsSharedByTheStepsNeverCopied) {
    Editing e;
    insertOverlay(e.doc, e.stack, sticker(0, 400));
    const PixelSurface* picture = e.stack.at(0).picture.get();
    const FloatRect before = e.stack.at(0).location;
    e.stack.at(0).location = {5, 5, 405, 9};
    recordOverlayPlaced(e.doc, e.stack, 0, before);
    deleteOverlay(e.doc, e.stack, 0);
    e.doc.undo();
    EXPECT_EQ(e.stack.at(0).picture.get(), picture);
    EXPECT_EQ(e.stack.at(0).picture.use_count(), 4);  // the stack and three steps
    // A move costs the history no picture; insert and delete count theirs.
    EXPECT_LT(e.doc.historyUsage().bytes, 3 * 400 * 4 * sizeof(Argb));
}

}  // namespace
}  // namespace mugwarp
