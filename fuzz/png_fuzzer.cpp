// PNG files through libpng as we drive it (expansion, 16-bit scaling,
// interlace, iCCP and eXIf), then the writer on what came out.
#include "formats/png_codec.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::DecodedImage image = mugwarp::decodePng(bytes);
        const mugwarp::PlatformBitmap& b = image.bitmap;
        if (b.width() > 0 && b.height() > 0) (void)b.pixelArgb(b.width() - 1, b.height() - 1);
    } catch (const mugwarp::Error&) {
    }
}
