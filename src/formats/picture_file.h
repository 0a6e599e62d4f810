#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/photo_info.h"
#include "formats/picture_kind.h"
#include "raster/color.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {

// A picture file as every part of the editor opens it: recognised by its
// first bytes (the name's extension only decides when the content says
// nothing), turned upright by its declared orientation, its colours brought
// from its embedded profile to sRGB.
struct PictureFile {
    PictureKind kind = PictureKind::Unknown;
    // 32-bit; straight alpha where the format carries it (hasAlpha), and for
    // a GIF frame 0 drawn opaque with its key colour in place.
    PlatformBitmap bitmap;
    bool hasAlpha = false;
    // A GIF's transparent colour, if frame 0 has one.
    std::optional<PlatformColor> gifKey;
    // A GIF whose frame 0 could not be fully decoded.
    bool damaged = false;
    PhotoInfo info;
    // The orientation the file declared (1 to 8), 0 when none.
    int declaredOrientation = 0;
    // What the user should hear about that did not stop the opening
    // (an animation's first frame, an ignored colour profile).
    std::vector<std::string> notes;
};

// Reads and decodes a file. Errors name the file: "Cannot open NAME: ...",
// with what is wrong in words, or the formats that can be opened.
PictureFile readPictureFile(const std::string& path);

// The same for bytes in memory; name stands for the file in messages and
// its extension is the fallback when the content is not recognised.
PictureFile decodePictureFile(std::span<const std::uint8_t> bytes, const std::string& name);

// The picture as the document shows it: transparent and half-transparent
// places laid over the colour (alpha 0) of the document's outside, so the
// result is opaque. Pictures without alpha of their own (BMP's erased places
// included) are returned as they are.
PlatformBitmap flattenOnto(PictureFile file, Argb outer);

// The picture as an overlay uses it: a pixel at least half opaque
// (alpha 128 or more) is drawn fully, a less opaque one is see-through.
// Returns true when any place became see-through.
bool thresholdAlpha(PlatformBitmap& bitmap);

}  // namespace mugwarp
