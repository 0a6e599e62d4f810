#pragma once

namespace mugwarp {

// An integer position: picture pixels for strokes, view pixels for the outline.
struct PixelPoint {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

}  // namespace mugwarp
