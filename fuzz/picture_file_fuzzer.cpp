// Any file as the editor opens it: recognition by content, every reader,
// orientation and colour profile conversion, and the flattening onto the
// document's outer colour.
#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        mugwarp::PictureFile file = mugwarp::decodePictureFile(bytes, "fuzz.jpg");
        mugwarp::PlatformBitmap overlay = file.bitmap;
        (void)mugwarp::thresholdAlpha(overlay);
        const mugwarp::PlatformBitmap flat = mugwarp::flattenOnto(std::move(file), mugwarp::kPictureOuterColor);
        if (flat.width() > 0 && flat.height() > 0) (void)flat.pixelArgb(flat.width() - 1, flat.height() - 1);
    } catch (const mugwarp::Error&) {
    }
}
