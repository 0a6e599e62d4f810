#include <algorithm>

#include "cli/edit_actions.h"
#include "document/canvas_operations.h"

namespace mugwarp::cli {

namespace {

// The Image Size dialog reads a typed side as at least its minimum and at
// most its maximum; the script's sizes are read the same way.
void resize(EditSession& s, int width, int height) {
    const ImageSizeLimits limits = imageSizeLimits(s.document.pictureWidth(), s.document.pictureHeight());
    resizePicture(s.document, std::clamp(width, limits.minWidth, limits.maxWidth),
                  std::clamp(height, limits.minHeight, limits.maxHeight));
}

}  // namespace

void addCanvasActions(ActionTable& table) {
    table["rotate"] = {"rotate:180|cw|ccw", [](std::string_view arguments) -> Action {
                           Rotation rotation = Rotation::HalfTurn;
                           if (arguments == "180") rotation = Rotation::HalfTurn;
                           else if (arguments == "cw") rotation = Rotation::Clockwise;
                           else if (arguments == "ccw") rotation = Rotation::CounterClockwise;
                           else throw UsageError{"the turn is 180, cw or ccw"};
                           return [rotation](EditSession& s) { rotatePicture(s.document, rotation); };
                       }};
    table["resize"] = {"resize:W:H", [](std::string_view arguments) -> Action {
                           const std::vector<std::string_view> wh = split(arguments, ':');
                           if (wh.size() != 2) throw UsageError{"the size is W:H"};
                           const int width = parseInt(wh[0], 1, 5000, "the width");
                           const int height = parseInt(wh[1], 1, 5000, "the height");
                           return [width, height](EditSession& s) { resize(s, width, height); };
                       }};
}

}  // namespace mugwarp::cli
