#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// Any BMP a desktop user meets (core and info headers v3 to v5; 1, 4, 8, 16, 24
// and 32 bits; uncompressed, RLE4, RLE8 and bit fields; bottom-up and top-down)
// as an opaque 32-bit bitmap. Damaged files raise Error.
PlatformBitmap decodeBmp(std::span<const std::uint8_t> file);

// An uncompressed 32-bit BMP of the surface, alpha kept in the fourth byte.
std::vector<std::uint8_t> encodeBmp(const PixelSurface& picture);

}  // namespace mugwarp
