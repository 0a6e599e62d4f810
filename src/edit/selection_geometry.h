#pragma once
#include "raster/geometry.h"

namespace mugwarp {

// What a drag on the selection frame does: move the whole frame or move the
// edges of one of its eight handles.
enum class FrameDrag { None, Move, Left, Top, Right, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

constexpr bool dragsLeft(FrameDrag d) { return d == FrameDrag::Left || d == FrameDrag::TopLeft || d == FrameDrag::BottomLeft; }
constexpr bool dragsRight(FrameDrag d) { return d == FrameDrag::Right || d == FrameDrag::TopRight || d == FrameDrag::BottomRight; }
constexpr bool dragsTop(FrameDrag d) { return d == FrameDrag::Top || d == FrameDrag::TopLeft || d == FrameDrag::TopRight; }
constexpr bool dragsBottom(FrameDrag d) { return d == FrameDrag::Bottom || d == FrameDrag::BottomLeft || d == FrameDrag::BottomRight; }

// The frame a drag by (dx, dy) picture pixels makes of the frame it started
// from: a move shifts it, a handle moves its edges. An edge never comes closer
// than minSize to the opposite one, which stays where it is.
FloatRect draggedFrame(const FloatRect& start, FrameDrag drag, float dx, float dy, float minSize);

// The resize handler consulted on every change of the frame. With Ctrl held a
// resize is made symmetric about the old centre, with half extents of at
// least 2; moves and other resizes keep the proposed frame.
FloatRect selectionResizing(const FloatRect& oldFrame, const FloatRect& proposed, FrameDrag drag, bool ctrlHeld);

// A width x height rectangle centred on (cx, cy).
FloatRect centredRect(float cx, float cy, float width, float height);

}  // namespace mugwarp
