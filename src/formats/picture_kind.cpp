#include "formats/picture_kind.h"

#include <algorithm>
#include <cstring>

namespace mugwarp {
namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::size_t at, const char* text) {
    const std::size_t n = std::strlen(text);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, text, n) == 0;
}

// An ISO base media file: the "ftyp" box names a major brand and compatible
// brands; HEIF still pictures list one of the image brands.
PictureKind isoBrand(std::span<const std::uint8_t> head) {
    if (!startsWith(head, 4, "ftyp")) return PictureKind::Unknown;
    const std::size_t boxSize = std::size_t(head[0]) << 24 | std::size_t(head[1]) << 16 | std::size_t(head[2]) << 8 | head[3];
    const std::size_t end = std::min(head.size(), std::max<std::size_t>(boxSize, 16));
    bool heic = false;
    bool avif = false;
    for (std::size_t at = 8; at + 4 <= end; at += 4) {
        if (at == 12) continue;  // the minor version
        const std::string brand(reinterpret_cast<const char*>(head.data() + at), 4);
        if (brand == "avif" || brand == "avis") avif = true;
        if (brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis" || brand == "mif1" ||
            brand == "msf1" || brand == "hevc" || brand == "hevx")
            heic = true;
    }
    // The major brand decides when both appear.
    if (startsWith(head, 8, "avif") || startsWith(head, 8, "avis")) return PictureKind::Avif;
    if (heic && !startsWith(head, 8, "mif1")) return PictureKind::Heic;
    if (avif) return PictureKind::Avif;
    return heic ? PictureKind::Heic : PictureKind::Unknown;
}

}  // namespace

PictureKind sniffPictureKind(std::span<const std::uint8_t> head) {
    if (startsWith(head, 0, "\x89PNG\r\n\x1a\n")) return PictureKind::Png;
    if (head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return PictureKind::Jpeg;
    if (startsWith(head, 0, "GIF87a") || startsWith(head, 0, "GIF89a")) return PictureKind::Gif;
    if (startsWith(head, 0, "BM")) return PictureKind::Bmp;
    if (startsWith(head, 0, "RIFF") && startsWith(head, 8, "WEBP")) return PictureKind::Webp;
    if (startsWith(head, 0, "%PDF-")) return PictureKind::Pdf;
    return isoBrand(head);
}

const char* pictureKindName(PictureKind kind) {
    switch (kind) {
        case PictureKind::Bmp: return "BMP";
        case PictureKind::Jpeg: return "JPEG";
        case PictureKind::Gif: return "GIF";
        case PictureKind::Png: return "PNG";
        case PictureKind::Webp: return "WebP";
        case PictureKind::Heic: return "HEIC";
        case PictureKind::Avif: return "AVIF";
        case PictureKind::Pdf: return "PDF";
        case PictureKind::Unknown: break;
    }
    return "unknown";
}

std::string readableFormatList() { return "BMP, JPEG, GIF, PNG, WebP, HEIC and AVIF"; }

}  // namespace mugwarp
