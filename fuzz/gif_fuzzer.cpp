// GIF files: the header, the screen and colour tables, extensions and frames,
// frame 0 decoded at once and every other frame on demand.
#include "formats/gif_image.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    mugwarp::GifImage gif;
    try {
        gif.load(bytes);
        for (std::size_t i = 0; i < gif.frames.size() && i < 4; ++i) {
            const mugwarp::PlatformBitmap& b = gif.frameBitmap(i);
            if (b.width() > 0 && b.height() > 0) (void)b.pixelArgb(b.width() - 1, b.height() - 1);
        }
    } catch (const mugwarp::Error&) {
    }
}
