#pragma once
#include <string>

#include "raster/pixel_surface.h"

namespace mugwarp {

// A clipart or talk-bubble file as an overlay picture, drawn blended.
// transparentGif: for a ".gif", key the frame's transparent colour to alpha 0
// (a GIF without one keys white); otherwise the GIF is taken fully opaque.
// BMP and JPEG load as the document loads them. Decoding errors propagate.
struct ClipartPicture {
    PixelSurface picture;
    bool keyed = false;  // a GIF's transparent colour was keyed
};
ClipartPicture loadClipartPicture(const std::string& path, bool transparentGif);

bool isGifFileName(const std::string& path);

}  // namespace mugwarp
