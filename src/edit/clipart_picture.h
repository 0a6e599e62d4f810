#pragma once
#include <string>

#include "formats/picture_file.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// A clipart or talk-bubble file as an overlay picture, drawn blended.
// transparentGif: for a ".gif", key the frame's transparent colour to alpha 0
// (a GIF without one keys white); otherwise the GIF is taken fully opaque.
// A file whose format carries transparency (PNG, WebP, HEIC) is keyed by it:
// pixels at least half opaque (alpha 128 or more) are drawn fully, the others
// are see-through. Other files load as the document loads them. The file is
// recognised by its content, not its name. Decoding errors propagate.
struct ClipartPicture {
    PixelSurface picture;
    bool keyed = false;  // a GIF's transparent colour was keyed
};
ClipartPicture loadClipartPicture(const std::string& path, bool transparentGif);
ClipartPicture clipartFromFile(PictureFile file, bool transparentGif);

bool isGifFileName(const std::string& path);

}  // namespace mugwarp
