#include "formats/bmp_codec.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const PixelSurface& picture) {
    const std::uint32_t width = static_cast<std::uint32_t>(picture.width());
    const std::uint32_t height = static_cast<std::uint32_t>(picture.height());
    const std::uint64_t imageBytes = std::uint64_t(width) * height * 4;
    if (imageBytes > 0xFFFFFFFFull - 54) throw Error("Picture is too large for a BMP file");
    constexpr std::uint32_t kHeaders = 14 + 40;

    std::vector<std::uint8_t> out;
    out.reserve(kHeaders + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, kHeaders + std::uint32_t(imageBytes));
    put32(out, 0);
    put32(out, kHeaders);
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // uncompressed
    put32(out, std::uint32_t(imageBytes));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    // Rows bottom-up; a little-endian 0xAARRGGBB word is already blue, green, red, alpha.
    for (std::uint32_t y = height; y-- > 0;) {
        const Argb* row = picture.row(static_cast<int>(y));
        for (std::uint32_t x = 0; x < width; ++x) put32(out, row[x]);
    }
    return out;
}

}  // namespace mugwarp
