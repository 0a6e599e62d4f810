#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "raster/platform_bitmap.h"

namespace mugwarp {

// Decodes a frame's raster (code size byte and data sub-blocks) into the rows
// of an indexed bitmap of depth 1, 4 or 8. Returns false when the data are
// damaged; the pixels it could not decode keep index 0.
bool decodeLzw(std::span<const std::uint8_t> raster, PlatformBitmap& bitmap, int bitsPerPixel, bool interlaced);

// Compresses the indexed rows of a 1-, 4- or 8-bit bitmap, top row first,
// into a raster: the code size byte, the data sub-blocks and the terminator.
std::vector<std::uint8_t> encodeLzw(const PlatformBitmap& bitmap, bool interlaced);

}  // namespace mugwarp
