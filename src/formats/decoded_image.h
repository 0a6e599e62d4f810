#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/photo_info.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// One picture as a reader of a modern format delivers it, before orientation
// and colour management: 32-bit pixels with straight (not premultiplied)
// alpha, and what the file says about them.
struct DecodedImage {
    PlatformBitmap bitmap;
    bool hasAlpha = false;
    std::vector<std::uint8_t> iccProfile;
    PhotoInfo info;
    // The orientation the file declares (1 to 8; 0 when it declares none).
    int orientation = 0;
    // True when the reader has already turned the pixels upright.
    bool upright = false;
    // Things the user should hear about that did not stop the reading.
    std::vector<std::string> notes;
};

}  // namespace mugwarp
