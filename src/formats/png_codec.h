#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "formats/decoded_image.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// Every valid PNG: grey, grey with alpha, palette (with or without tRNS),
// RGB and RGBA at each bit depth the format allows, interlaced or not. Sixteen
// bits per sample are scaled (rounded) to eight. Damage (a failed checksum in
// an essential chunk, a cut file, bad compressed data) raises Error in words.
DecodedImage decodePng(std::span<const std::uint8_t> file);

// An 8-bit PNG marked sRGB: RGB when every pixel is opaque, RGBA otherwise
// (the transparent places of the picture stay transparent).
std::vector<std::uint8_t> encodePng(const PixelSurface& picture);

}  // namespace mugwarp
