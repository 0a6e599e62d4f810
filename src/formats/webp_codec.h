#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/decoded_image.h"
#include "formats/photo_info.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// Lossy, lossless, with or without alpha; an animation gives its first frame
// as shown (with a note saying so). EXIF, XMP and ICC chunks are handed on.
DecodedImage decodeWebp(std::span<const std::uint8_t> file);

struct WebpExtras {
    bool lossless = false;
    int quality = 90;  // lossy only
    PhotoInfo info;    // EXIF and XMP are written; WebP has no place for IPTC
    std::vector<std::uint8_t> iccProfile;
};

// Raises Error for a picture beyond WebP's largest side (16383 pixels).
std::vector<std::uint8_t> encodeWebp(const PixelSurface& picture, const WebpExtras& extras);

}  // namespace mugwarp
