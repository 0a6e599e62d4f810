#include "formats/picture_file.h"

#include <algorithm>

#include "formats/bmp_codec.h"
#include "formats/color_profile.h"
#include "formats/exif_block.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "formats/heif_reader.h"
#include "formats/indexed_expand.h"
#include "formats/jpeg_codec.h"
#include "formats/orientation.h"
#include "formats/picture_io.h"
#include "formats/png_codec.h"
#include "formats/webp_codec.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The content says nothing: a damaged file of an old format still gets its
// decoder's account of the damage when its name says what it was meant to be.
PictureKind kindFromExtension(const std::string& name) {
    const std::string ext = lowerExtension(name);
    if (ext == ".bmp") return PictureKind::Bmp;
    if (ext == ".jpg" || ext == ".jpeg" || ext == ".jpe" || ext == ".jfif") return PictureKind::Jpeg;
    if (ext == ".gif") return PictureKind::Gif;
    if (ext == ".png") return PictureKind::Png;
    if (ext == ".webp") return PictureKind::Webp;
    return PictureKind::Unknown;
}

void readGif(std::span<const std::uint8_t> bytes, PictureFile& out) {
    GifImage gif;
    gif.load(bytes);
    if (gif.frames.empty() || gif.width() == 0 || gif.height() == 0) throw Error("GIF image contains no picture");
    out.bitmap = expandIndexed(gif.frameBitmap(0));
    out.damaged = gif.frames[0].corrupted;
    const PlatformColor key = gif.transparentColor(0);
    if (key != kGifNoColor) out.gifKey = key;
    if (gif.frames.size() > 1)
        out.notes.push_back("Animated GIF: showing its first frame of " + std::to_string(gif.frames.size()));
}

void adopt(DecodedImage decoded, PictureFile& out) {
    out.declaredOrientation = decoded.orientation;
    out.bitmap = decoded.upright ? std::move(decoded.bitmap) : orientUpright(std::move(decoded.bitmap), decoded.orientation);
    const std::string note = convertToSrgb(out.bitmap, decoded.iccProfile);
    if (!note.empty()) out.notes.push_back(note);
    out.hasAlpha = decoded.hasAlpha;
    out.info = std::move(decoded.info);
    for (std::string& n : decoded.notes) out.notes.push_back(std::move(n));
}

void decodeKind(std::span<const std::uint8_t> bytes, PictureKind kind, PictureFile& out) {
    switch (kind) {
        case PictureKind::Bmp: out.bitmap = decodeBmp(bytes); break;
        case PictureKind::Gif: readGif(bytes, out); break;
        case PictureKind::Jpeg: {
            JpegDecodeResult jpeg = decodeJpeg(bytes);
            DecodedImage decoded;
            decoded.bitmap = std::move(jpeg.bitmap);
            decoded.iccProfile = std::move(jpeg.iccProfile);
            decoded.orientation = exifOrientation(jpeg.info.exif);
            decoded.info = std::move(jpeg.info);
            if (jpeg.warnings > 0) decoded.notes.push_back("The JPEG data are damaged: parts of the picture may be missing");
            adopt(std::move(decoded), out);
            break;
        }
        case PictureKind::Png: adopt(decodePng(bytes), out); break;
        case PictureKind::Webp: adopt(decodeWebp(bytes), out); break;
        case PictureKind::Heic:
        case PictureKind::Avif: adopt(decodeHeif(bytes, kind), out); break;
        case PictureKind::Pdf:
        case PictureKind::Unknown: break;
    }
}

}  // namespace

PictureFile decodePictureFile(std::span<const std::uint8_t> bytes, const std::string& name) {
    const std::string shown = baseName(name);
    PictureFile out;
    out.kind = sniffPictureKind(bytes);
    if (out.kind == PictureKind::Unknown) out.kind = kindFromExtension(name);
    if (bytes.empty()) throw Error("Cannot open " + shown + ": the file is empty");
    if (out.kind == PictureKind::Unknown || out.kind == PictureKind::Pdf)
        throw Error("Cannot open " + shown + ": it is not a picture Mugwarp Studio reads (it reads " +
                    readableFormatList() + ")");
    try {
        decodeKind(bytes, out.kind, out);
    } catch (const Error& e) {
        throw Error("Cannot open " + shown + ": " + e.what());
    }
    return out;
}

PictureFile readPictureFile(const std::string& path) { return decodePictureFile(readWholeFile(path), path); }

PlatformBitmap flattenOnto(PictureFile file, Argb outer) {
    PlatformBitmap& b = file.bitmap;
    if (!file.hasAlpha || b.bitsPerPixel() != 32) return std::move(b);
    const unsigned ob = outer & 0xFF, og = (outer >> 8) & 0xFF, orr = (outer >> 16) & 0xFF;
    for (int y = 0; y < b.height(); ++y) {
        std::uint8_t* px = b.scanLine(y);
        for (int x = 0; x < b.width(); ++x, px += 4) {
            const unsigned a = px[3], na = 255 - a;
            px[0] = std::uint8_t((px[0] * a + ob * na + 127) / 255);
            px[1] = std::uint8_t((px[1] * a + og * na + 127) / 255);
            px[2] = std::uint8_t((px[2] * a + orr * na + 127) / 255);
            px[3] = 0xFF;
        }
    }
    return std::move(b);
}

bool thresholdAlpha(PlatformBitmap& bitmap) {
    if (bitmap.bitsPerPixel() != 32) return false;
    bool any = false;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* px = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, px += 4) {
            const bool opaque = px[3] >= 128;
            any |= !opaque;
            px[3] = opaque ? 0xFF : 0;
        }
    }
    return any;
}

}  // namespace mugwarp
