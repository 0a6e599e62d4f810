#pragma once
#include <QSize>

namespace mugwarp {

// Zoom is a whole percentage; 100 shows one picture pixel per view pixel.
struct Zoom {
    static constexpr int kMinimum = 20;
    static constexpr int kMaximum = 500;
    static constexpr int kOriginal = 100;
    static constexpr int kMenuStep = 20;
    static constexpr int kFineStep = 5;  // wheel notch and arrow key
    // Fitting a very large picture may go below kMinimum, down to this.
    static constexpr int kFitMinimum = 1;
};

int clampZoom(int percent);
// A step from current to wanted: within kMinimum..kMaximum, except that a
// zoom already below kMinimum (a fitted large picture) is not raised by a
// step meant to zoom out.
int steppedZoom(int current, int wanted);
// The largest zoom at which the whole picture fits into room (the view's
// size truncated as zoomedViewSize does), within kFitMinimum..kMaximum.
int fitZoom(QSize pictureSize, QSize room);

// The view's size for a picture at a zoom: the integer part of picture size
// / 100 x percent, so a 3 x 3 picture at 20 % gives 0 x 0 and 100 % gives the
// picture's own size.
QSize zoomedViewSize(QSize pictureSize, int percent);

}  // namespace mugwarp
