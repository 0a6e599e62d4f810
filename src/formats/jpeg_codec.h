#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/photo_info.h"

#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

struct JpegDecodeResult {
    PlatformBitmap bitmap;  // 32-bit, opaque
    // Damage the decoder recovered from (a file cut inside the image data, a
    // corrupt segment): the picture is still delivered, with what the decoder
    // could not read filled in by it. 0 for a clean file.
    int warnings = 0;
    int firstWarningCode = 0;
    // The blocks beside the pixels: EXIF, XMP, IPTC and the ICC colour profile
    // (reassembled from its APP2 pieces); empty where the file has none.
    PhotoInfo info;
    std::vector<std::uint8_t> iccProfile;
};

// Decodes baseline, extended, progressive and arithmetic-coded JPEGs in grey,
// YCbCr, RGB, CMYK and YCCK. Errors raise Error with the library's
// description of what is wrong ("Not a JPEG file: starts with 0x89 0x50").
JpegDecodeResult decodeJpeg(std::span<const std::uint8_t> file);

// What a saved JPEG carries besides the pixels.
struct JpegExtras {
    int quality = 90;
    PhotoInfo info;  // written as found (EXIF should already be fit for upright pixels)
    std::vector<std::uint8_t> iccProfile;
};

// Baseline, floating-point DCT, every other setting at the library's
// defaults (quality 90 unless the extras say otherwise); the file is the one
// 3-component RGB rows give (alpha is dropped).
std::vector<std::uint8_t> encodeJpeg(const PixelSurface& picture, const JpegExtras& extras = {});

}  // namespace mugwarp
