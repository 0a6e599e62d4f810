#pragma once
#include <cstdint>
#include <span>
#include <vector>

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
};

// Decodes baseline, extended, progressive and arithmetic-coded JPEGs in grey,
// YCbCr, RGB, CMYK and YCCK. Errors raise Error("JPEG error #N") with the
// library's message code.
JpegDecodeResult decodeJpeg(std::span<const std::uint8_t> file);

// Quality 90, baseline, floating-point DCT, every other setting at the
// library's defaults; the file is the one 3-component RGB rows give (alpha is
// dropped).
std::vector<std::uint8_t> encodeJpeg(const PixelSurface& picture);

}  // namespace mugwarp
