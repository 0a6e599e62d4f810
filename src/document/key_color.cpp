#include "document/key_color.h"

#include <cstdint>

#include "raster/platform_bitmap.h"

namespace mugwarp {

void clearKeyColor(PlatformBitmap& bitmap, PlatformColor key) {
    bitmap.setBitsPerPixel(32);
    const std::uint8_t red = static_cast<std::uint8_t>(key);
    const std::uint8_t green = static_cast<std::uint8_t>(key >> 8);
    const std::uint8_t blue = static_cast<std::uint8_t>(key >> 16);
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* px = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, px += 4) {
            const bool keyed = px[0] == blue && px[1] == green && px[2] == red;
            px[3] = keyed ? 0 : 255;
        }
    }
}

}  // namespace mugwarp
