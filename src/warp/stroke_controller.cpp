#include "warp/stroke_controller.h"

#include "warp/stroke_target.h"

namespace mugwarp {

int selectStrokeButton(MouseButtons buttons) {
    if (buttons.left) return 0;
    if (buttons.right) return 1;
    return -1;
}

StrokeController::StrokeController(StrokeTarget& target) : target_(target) {}

void StrokeController::selectTool(WarpTool tool) {
    target_.enterWarpTool(static_cast<int>(tool));
    target_.beginUndoableChange();
    timerEnabled_ = repeatsWhileHeld(tool);
    engine_.setTool(tool);
}

bool StrokeController::timerShouldRun() const { return timerEnabled_ && target_.warpToolActive(); }

void StrokeController::press(PixelPoint p, MouseButtons buttons) {
    if (!target_.pictureLoaded() || !target_.warpToolActive()) return;
    target_.beginUndoableChange();
    const int mesh = selectStrokeButton(buttons);
    // Without the left or right button there is no stroke: the timer must not
    // re-apply the previous stroke's brush.
    stroking_ = mesh >= 0;
    if (stroking_) engine_.beginStroke(brushTopLeft(p, engine_.activeSize()), mesh);
}

Rect StrokeController::move(PixelPoint p, MouseButtons buttons) {
    if (!target_.pictureLoaded() || !target_.warpToolActive()) return {};
    const int mesh = selectStrokeButton(buttons);
    if (mesh < 0) return {};
    engine_.setStrokeMesh(mesh);
    return apply(brushTopLeft(p, engine_.activeSize()));
}

void StrokeController::release() {
    const bool ended = stroking_;
    stroking_ = false;
    if (ended) target_.endUndoableChange();
}

Rect StrokeController::tick() {
    if (!timerShouldRun() || !stroking_ || !target_.pictureLoaded()) return {};
    return apply(engine_.lastPosition());
}

Rect StrokeController::apply(PixelPoint topLeft) {
    WarpCanvas canvas = target_.warpCanvas();
    return engine_.applyBrush(canvas, topLeft);
}

}  // namespace mugwarp
