#pragma once
#include <vector>

#include "raster/color.h"
#include "raster/geometry.h"
#include "warp/pixel_point.h"

namespace mugwarp {

// The dashed circle that follows the mouse over the view while a warp tool is
// selected. Centre and radius are in the pixels it is drawn in (the view's
// device pixels): the caller scales the brush's radius by the zoom, so that the
// circle shows the area the brush changes. Toolkit-free: the application draws
// the segments.
class BrushOutline {
public:
    struct Segment {
        float x1, y1, x2, y2;  // view pixels, the end point itself not drawn
        Argb color;            // alternately black and white, alpha 0xA0
    };

    PixelPoint center() const { return center_; }
    int radius() const { return radius_; }

    // The rectangle around a centre that the outline may cover.
    Rect area() const { return areaAround(center_, radius_); }
    static Rect areaAround(PixelPoint c, int radius) {
        return {c.x - radius, c.y - radius, c.x + radius + 1, c.y + radius + 1};
    }

    // Moves the outline; returns the view area to repaint (old and new square
    // united), empty when the centre did not change.
    Rect setCenter(PixelPoint c);
    // Returns the view area to repaint (the square with the new radius).
    Rect setRadius(int r);

    // radius + 4 segments (made even), the first one black, starting at
    // (center.x + radius, center.y) and going round with growing angle.
    std::vector<Segment> segments() const;

private:
    PixelPoint center_;
    int radius_ = 0;
};

}  // namespace mugwarp
