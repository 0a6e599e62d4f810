#pragma once
#include "warp/pixel_point.h"

namespace mugwarp {

// The view stretches the whole picture over its client area; this converts a
// position on the view to picture pixels the way the view itself does, with
// reciprocal scales in 16.16 fixed point. At 100 % zoom it is the identity.
class ViewToPicture {
public:
    // pictureWidth x pictureHeight shown in a view of viewWidth x viewHeight
    // pixels (an empty view converts everything to 0).
    ViewToPicture(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight);

    PixelPoint operator()(PixelPoint view) const;

private:
    int scaleX_ = 0;  // picture pixels per view pixel, 16.16
    int scaleY_ = 0;
};

// The square the Erase and Paint tools work on for a press on the view at
// the given zoom: corner and size in picture pixels, truncated toward zero.
struct EraseSquare {
    int column = 0;
    int row = 0;
    int size = 0;
    friend constexpr bool operator==(const EraseSquare&, const EraseSquare&) = default;
};
EraseSquare eraseSquareFromView(PixelPoint view, int zoomPercent, int eraseSize);

}  // namespace mugwarp
