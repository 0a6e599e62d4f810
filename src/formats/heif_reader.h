#pragma once
#include <cstdint>
#include <span>

#include "formats/decoded_image.h"
#include "formats/picture_kind.h"

namespace mugwarp {

// The primary picture of a HEIC or AVIF file, turned upright by the file's
// own rotation and mirroring (the EXIF orientation is reported, not applied
// again). kind says which of the two the file was recognised as, for the
// message when no decoder for it is installed.
DecodedImage decodeHeif(std::span<const std::uint8_t> file, PictureKind kind);

}  // namespace mugwarp
