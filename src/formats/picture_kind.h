#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace mugwarp {

// What a file holds, told by its first bytes rather than by its name.
enum class PictureKind { Bmp, Jpeg, Gif, Png, Webp, Heic, Avif, Pdf, Unknown };

PictureKind sniffPictureKind(std::span<const std::uint8_t> head);

// "PNG", "HEIC", ... as the user knows the format.
const char* pictureKindName(PictureKind kind);

// The formats the editor opens, for messages: "BMP, JPEG, GIF, PNG, WebP, HEIC and AVIF".
std::string readableFormatList();

}  // namespace mugwarp
