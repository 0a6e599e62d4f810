#include <gtest/gtest.h>

#include "edit/overlay_stack.h"
#include "edit/selection_geometry.h"

namespace mugwarp {
namespace {

struct DragCase {
    const char* name;
    FrameDrag drag;
    float dx, dy;
    bool ctrl;
    FloatRect expected;
};

TEST(SelectionGeometry, DragsMoveResizeAndKeepTheirMinimums) {
    const FloatRect start{10, 20, 40, 40};  // centre (25, 30), half extents 15 x 10
    const DragCase cases[] = {
        {"move", FrameDrag::Move, 5, -3, true, {15, 17, 45, 37}},
        {"left edge", FrameDrag::Left, -4, 9, false, {6, 20, 40, 40}},
        {"top-right corner", FrameDrag::TopRight, 2, 3, false, {10, 23, 42, 40}},
        {"right edge past the left one", FrameDrag::Right, -100, 0, false, {10, 20, 11, 40}},
        {"bottom-left past both", FrameDrag::BottomLeft, 100, -100, false, {39, 20, 40, 21}},
        {"ctrl right edge", FrameDrag::Right, 5, 0, true, {5, 20, 45, 40}},
        {"ctrl top edge", FrameDrag::Top, 0, 4, true, {10, 24, 40, 36}},
        {"ctrl bottom-right corner", FrameDrag::BottomRight, 1, 2, true, {9, 18, 41, 42}},
        {"ctrl squeezed to half extents of 2", FrameDrag::BottomLeft, 100, -100, true, {23, 28, 27, 32}},
    };
    for (const DragCase& c : cases) {
        const FloatRect proposed = draggedFrame(start, c.drag, c.dx, c.dy, 1.0f);
        EXPECT_EQ(selectionResizing(start, proposed, c.drag, c.ctrl), c.expected) << c.name;
    }
}

TEST(SelectionGeometry, CentredRectAndStackHitTesting) {
    EXPECT_EQ(centredRect(256, 256, 31, 20), (FloatRect{240.5f, 246, 271.5f, 266}));
    OverlayStack stack;
    stack.add(Overlay{{0, 0, 10, 10}, PixelSurface(1, 1)});
    stack.add(Overlay{{5, 5, 15, 15}, PixelSurface(1, 1)});
    EXPECT_EQ(stack.topmostAt(7, 7), std::optional<std::size_t>(1));
    EXPECT_EQ(stack.topmostAt(2, 2), std::optional<std::size_t>(0));
    EXPECT_EQ(stack.topmostAt(15, 15), std::nullopt);  // right and bottom edges lie outside
    stack.remove(0);
    EXPECT_EQ(stack.topmostAt(2, 2), std::nullopt);
    // Truncation toward zero, far-off edges clamped.
    EXPECT_EQ(flattenedRect({-0.5f, 1.9f, 3e12f, -2.7f}), (Rect{0, 1, 2147483647, -2}));
}

}  // namespace
}  // namespace mugwarp
