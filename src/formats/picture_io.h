#pragma once
#include <optional>
#include <string>

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

// Decodes a BMP or JPEG file, choosing the decoder by the lower-cased
// extension. Throws Error("Unknown picture file extension (.xyz)") for anything
// else (".gif" included: GIFs go through loadGifPicture).
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
enum class PictureFormat { Bmp, Jpeg, Gif, Pdf, None };
PictureFormat pictureFormatFor(const std::string& path);

// Writes the flattened picture by the lower-cased extension of path: ".bmp",
// ".jpg"/".jpeg", ".gif" (keyed with keyColor; kNoKeyColor allowed), ".pdf".
// Throws Error for an extension without a writer. The file at path is replaced
// only once the new one is complete.
void savePicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor);

// The GIF branch of savePicture on its own. Returns the picture as written:
// opaque, 32-bit, colours reduced, the key colour in every transparent place
// (what the document keeps as its undo picture after the save).
PlatformBitmap saveGifPicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor);

// The PDF branch of savePicture: the picture as a quality-90 JPEG wrapped in
// a one-page PDF. The temporary JPEG (path + "111") never outlives the call.
void savePdfPicture(const PixelSurface& picture, const std::string& path);

}  // namespace mugwarp
