// EXIF blocks: the orientation lookup and the rewrite that takes out the
// orientation and the thumbnail, which must stay readable after it.
#include "formats/exif_block.h"
#include "fuzz_input.h"

MUGWARP_FUZZ_TARGET(bytes) {
    const auto tiff = mugwarp::exifTiffStream(bytes);
    (void)mugwarp::exifOrientation(tiff);
    const std::vector<std::uint8_t> saved = mugwarp::exifForSaving(tiff);
    if (!saved.empty() && mugwarp::exifOrientation(saved) != 0) __builtin_trap();
}
