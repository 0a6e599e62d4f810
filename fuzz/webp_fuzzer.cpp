// WebP files: the container's chunks (EXIF, XMP, ICCP), still pictures
// decoded into our upward rows, and animations' first frames.
#include "formats/webp_codec.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::DecodedImage image = mugwarp::decodeWebp(bytes);
        const mugwarp::PlatformBitmap& b = image.bitmap;
        if (b.width() > 0 && b.height() > 0) (void)b.pixelArgb(b.width() - 1, b.height() - 1);
    } catch (const mugwarp::Error&) {
    }
}
