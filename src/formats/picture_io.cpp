#include "formats/picture_io.h"

#include "formats/bmp_codec.h"
#include "formats/color_profile.h"
#include "formats/exif_block.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "formats/indexed_expand.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "formats/png_codec.h"
#include "formats/webp_codec.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

[[noreturn]] void unknownExtension(const std::string& ext) {
    throw Error("Unknown picture file extension (." + (ext.empty() ? std::string() : ext.substr(1)) + ")");
}

// The photo's blocks as they go into a file of upright pixels.
PhotoInfo infoForSaving(const SaveOptions& options) {
    PhotoInfo info;
    if (!options.photoInfo) return info;
    info.exif = exifForSaving(options.photoInfo->exif);
    info.xmp = options.photoInfo->xmp;
    info.iptc = options.photoInfo->iptc;
    return info;
}

}  // namespace

std::string lowerExtension(const std::string& path) {
    const auto dot = path.find_last_of('.');
    const auto slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

PlatformBitmap loadPicture(const std::string& path) { return flattenOnto(readPictureFile(path), kPictureOuterColor); }

GifPicture loadGifPicture(const std::string& path) {
    GifImage gif;
    gif.load(readWholeFile(path));
    // A file without an image would leave the document with no picture at all.
    if (gif.frames.empty() || gif.width() == 0 || gif.height() == 0) throw Error("GIF image contains no picture");
    GifPicture result;
    result.composite = expandIndexed(gif.frameBitmap(0));
    result.damaged = gif.frames[0].corrupted;
    const PlatformColor key = gif.transparentColor(0);
    if (key != kGifNoColor) result.transparentColor = key;
    return result;
}

PictureFormat pictureFormatFor(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == ".bmp") return PictureFormat::Bmp;
    if (ext == ".jpg" || ext == ".jpeg") return PictureFormat::Jpeg;
    if (ext == ".gif") return PictureFormat::Gif;
    if (ext == ".pdf") return PictureFormat::Pdf;
    if (ext == ".png") return PictureFormat::Png;
    if (ext == ".webp") return PictureFormat::Webp;
    return PictureFormat::None;
}

void savePicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor,
                 const SaveOptions& options) {
    if (picture.isEmpty()) throw Error("Cannot save an empty picture");
    switch (pictureFormatFor(path)) {
        case PictureFormat::Bmp: writeFileAtomically(path, encodeBmp(picture)); break;
        case PictureFormat::Jpeg: {
            JpegExtras extras;
            extras.quality = options.quality;
            extras.info = infoForSaving(options);
            extras.iccProfile = srgbProfileBytes();
            writeFileAtomically(path, encodeJpeg(picture, extras));
            break;
        }
        case PictureFormat::Png: writeFileAtomically(path, encodePng(picture)); break;
        case PictureFormat::Webp: {
            WebpExtras extras;
            extras.lossless = options.webpLossless;
            extras.quality = options.quality;
            extras.info = infoForSaving(options);
            extras.info.iptc.clear();
            writeFileAtomically(path, encodeWebp(picture, extras));
            break;
        }
        case PictureFormat::Gif: saveGifPicture(picture, path, keyColor); break;
        case PictureFormat::Pdf: savePdfPicture(picture, path); break;
        case PictureFormat::None: unknownExtension(lowerExtension(path));
    }
}

}  // namespace mugwarp
