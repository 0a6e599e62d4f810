// HEIC and AVIF files: our reading of the primary image, its metadata
// blocks (the EXIF offset prefix) and the interleaved plane.
#include "formats/heif_reader.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    for (const mugwarp::PictureKind kind : {mugwarp::PictureKind::Heic, mugwarp::PictureKind::Avif}) {
        try {
            const mugwarp::DecodedImage image = mugwarp::decodeHeif(bytes, kind);
            const mugwarp::PlatformBitmap& b = image.bitmap;
            if (b.width() > 0 && b.height() > 0) (void)b.pixelArgb(b.width() - 1, b.height() - 1);
        } catch (const mugwarp::Error&) {
        }
        if (bytes.size() < 64) break;  // the second kind only changes messages
    }
}
