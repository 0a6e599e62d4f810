#include "edit/selection_geometry.h"

#include <algorithm>

namespace mugwarp {

FloatRect draggedFrame(const FloatRect& start, FrameDrag drag, float dx, float dy, float minSize) {
    if (drag == FrameDrag::None) return start;
    if (drag == FrameDrag::Move) return {start.left + dx, start.top + dy, start.right + dx, start.bottom + dy};
    FloatRect r = start;
    if (dragsLeft(drag)) r.left = std::min(start.left + dx, start.right - minSize);
    if (dragsRight(drag)) r.right = std::max(start.right + dx, start.left + minSize);
    if (dragsTop(drag)) r.top = std::min(start.top + dy, start.bottom - minSize);
    if (dragsBottom(drag)) r.bottom = std::max(start.bottom + dy, start.top + minSize);
    return r;
}

FloatRect selectionResizing(const FloatRect& oldFrame, const FloatRect& proposed, FrameDrag drag, bool ctrlHeld) {
    if (drag == FrameDrag::Move || drag == FrameDrag::None || !ctrlHeld) return proposed;
    const float cx = (oldFrame.left + oldFrame.right) / 2;
    const float cy = (oldFrame.top + oldFrame.bottom) / 2;
    float w2 = (oldFrame.right - oldFrame.left) / 2;
    float h2 = (oldFrame.bottom - oldFrame.top) / 2;
    if (dragsLeft(drag)) w2 = cx - proposed.left;
    if (dragsTop(drag)) h2 = cy - proposed.top;
    if (dragsRight(drag)) w2 = proposed.right - cx;
    if (dragsBottom(drag)) h2 = proposed.bottom - cy;
    w2 = std::max(w2, 2.0f);
    h2 = std::max(h2, 2.0f);
    return {cx - w2, cy - h2, cx + w2, cy + h2};
}

FloatRect centredRect(float cx, float cy, float width, float height) {
    const float w2 = width / 2;
    const float h2 = height / 2;
    return {cx - w2, cy - h2, cx + w2, cy + h2};
}

}  // namespace mugwarp
