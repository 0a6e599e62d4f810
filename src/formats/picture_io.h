#pragma once
#include <optional>
#include <string>

#include "formats/photo_info.h"
#include "raster/color.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// The key colour that stands for "no transparent colour" in a GIF document.
constexpr PlatformColor kNoKeyColor = 0x1FFFFFFF;
// The key colour of every document that is not a GIF.
constexpr PlatformColor kDefaultKeyColor = 0xFDFEFF;

// ".jpg" for "/a/B.JPG"; empty when the name has no extension.
std::string lowerExtension(const std::string& path);

// The outer colour of every document that is not a GIF (alpha 0, red 0xFD,
// green 0xFE, blue 0xFF): what transparent places of a picture are laid on.
constexpr Argb kPictureOuterColor = 0x00FDFEFF;

// Decodes any picture file the editor reads (see readPictureFile), upright
// and in sRGB, with transparent places laid on kPictureOuterColor; a GIF
// gives frame 0 as drawn. Errors name the file.
PlatformBitmap loadPicture(const std::string& path);

// A GIF as the document opens it: frame 0 drawn into a 32-bit bitmap of the
// GIF's size at (0, 0), and frame 0's transparent colour, if any.
struct GifPicture {
    PlatformBitmap composite;
    std::optional<PlatformColor> transparentColor;
    // Frame 0's raster data were damaged: the pixels that could not be
    // decoded show palette entry 0.
    bool damaged = false;
};
GifPicture loadGifPicture(const std::string& path);

// Which writer the lower-cased extension of a file name selects.
enum class PictureFormat { Bmp, Jpeg, Gif, Pdf, Png, Webp, None };
PictureFormat pictureFormatFor(const std::string& path);

// What a save carries over from the picture's source besides the pixels.
struct SaveOptions {
    // EXIF, XMP and IPTC of the photo the picture was opened from, written
    // into a JPEG (and EXIF and XMP into a WebP) with the orientation and the
    // thumbnail taken out; null writes none.
    const PhotoInfo* photoInfo = nullptr;
    int quality = 90;           // JPEG and lossy WebP
    bool webpLossless = false;  // a ".webp" is written lossless
};

// Writes the flattened picture by the lower-cased extension of path: ".bmp",
// ".jpg"/".jpeg", ".gif" (keyed with keyColor; kNoKeyColor allowed), ".pdf",
// ".png", ".webp". JPEG, PNG and WebP files say their colours are sRGB.
// Throws Error for an extension without a writer. The file at path is replaced
// only once the new one is complete.
void savePicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor,
                 const SaveOptions& options = {});

// The GIF branch of savePicture on its own. Returns the picture as written:
// opaque, 32-bit, colours reduced, the key colour in every transparent place
// (what the document keeps as its undo picture after the save).
PlatformBitmap saveGifPicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor);

// The PDF branch of savePicture: the picture as a quality-90 JPEG wrapped in
// a one-page PDF. The temporary JPEG (path + "111") never outlives the call.
void savePdfPicture(const PixelSurface& picture, const std::string& path);

}  // namespace mugwarp
