#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace mugwarp {

// The TIFF stream of an EXIF block, with the "Exif\0\0" prefix some
// containers put before it removed; empty when the bytes hold no TIFF header.
std::span<const std::uint8_t> exifTiffStream(std::span<const std::uint8_t> block);

// The orientation (1 to 8) the first image directory declares; 0 when the
// block has none or a value outside 1 to 8, or cannot be read.
int exifOrientation(std::span<const std::uint8_t> tiff);

// The block as it goes into a saved file whose pixels are upright: the
// orientation entry is taken out and the embedded thumbnail (the second image
// directory and the bytes it points at), which would show the picture as it
// was before editing, is dropped and its bytes cleared. Everything else
// (camera, date, copyright, GPS) stays byte for byte. Empty when the block
// cannot be read, so that nothing damaged is written on.
std::vector<std::uint8_t> exifForSaving(std::span<const std::uint8_t> tiff);

}  // namespace mugwarp
