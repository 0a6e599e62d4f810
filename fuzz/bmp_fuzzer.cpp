// BMP files as the document opens them: every header kind, depth and compression.
#include "formats/bmp_codec.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::PlatformBitmap bitmap = mugwarp::decodeBmp(bytes);
        if (bitmap.width() > 0 && bitmap.height() > 0) (void)bitmap.pixelArgb(bitmap.width() - 1, bitmap.height() - 1);
    } catch (const mugwarp::Error&) {
    }
}
