#pragma once
#include <cstdint>
#include <string>

#include "raster/error.h"

namespace mugwarp {

// The largest picture a decoder accepts: every document copy of it is a 32-bit
// surface, so this bounds one copy to 1 GiB. A damaged header claiming more is
// refused before anything is allocated.
#ifdef MUGWARP_FUZZ_MAX_PICTURE_PIXELS
// The fuzz build refuses far smaller pictures the same way, so that its time
// goes into the readers rather than into filling pictures of a gigabyte.
constexpr std::int64_t kMaxPicturePixels = MUGWARP_FUZZ_MAX_PICTURE_PIXELS;
#else
constexpr std::int64_t kMaxPicturePixels = std::int64_t(1) << 28;
#endif
constexpr int kMaxPictureSide = 65535;

inline void checkPictureSize(std::int64_t width, std::int64_t height, const char* what) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height > kMaxPicturePixels)
        throw Error(std::string(what) + " is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels)");
}

}  // namespace mugwarp
