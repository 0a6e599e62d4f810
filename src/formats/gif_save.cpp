#include <cstring>

#include "formats/color_reduction.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "formats/indexed_expand.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

// The colour the surfaces of a document that is not a GIF leave where the
// picture is erased or warped away (alpha 0, red 0xFD, green 0xFE, blue 0xFF):
// not the same colour as that document's key (red 0xFF, green 0xFE, blue 0xFD).
constexpr std::uint32_t kDefaultOuterRgb = 0xFDFEFF;

// The picture as an opaque 32-bit bitmap in which every transparent place
// carries exactly the key colour. Transparent places are pixels of alpha 0 in
// the key colour, in the document's own key colour (documentRgb: white for a
// GIF document without one, whose outer colour it is), in black, or in the
// default outer colour; other pixels of alpha 0 (the faded one-pixel border a
// rotation leaves) keep their colour. keyed[i] tells which pixels were keyed.
PlatformBitmap keyTransparentPlaces(const PixelSurface& picture, std::uint32_t keyRgb, std::uint32_t documentRgb,
                                    std::vector<std::uint8_t>& keyed) {
    PlatformBitmap flat(picture.width(), picture.height(), 32);
    keyed.assign(std::size_t(picture.width()) * std::size_t(picture.height()), 0);
    const std::uint32_t keyArgb = 0xFF000000u | keyRgb;
    for (int y = 0; y < picture.height(); ++y) {
        const Argb* src = picture.row(y);
        std::uint8_t* dst = flat.scanLine(y);
        for (int x = 0; x < picture.width(); ++x) {
            const Argb p = src[x];
            const std::uint32_t rgb = p & 0xFFFFFF;
            const bool transparent =
                (p >> 24) == 0 && (rgb == keyRgb || rgb == documentRgb || rgb == 0 || rgb == kDefaultOuterRgb);
            const std::uint32_t out = transparent ? keyArgb : (p | 0xFF000000u);
            std::memcpy(dst + 4 * x, &out, 4);
            keyed[std::size_t(y) * std::size_t(picture.width()) + std::size_t(x)] = transparent;
        }
    }
    return flat;
}

}  // namespace

PlatformBitmap saveGifPicture(const PixelSurface& picture, const std::string& path, PlatformColor keyColor) {
    if (picture.isEmpty()) throw Error("No GIF Data to write");
    if (picture.width() > 0xFFFF || picture.height() > 0xFFFF) throw Error("Picture is too large for a GIF file");
    // A GIF document without a transparent colour has the key "none", which
    // reads as white; keying with it would turn every white pixel transparent.
    const PlatformColor key = (keyColor == kNoKeyColor ? kDefaultKeyColor : keyColor) & 0xFFFFFF;
    const std::uint32_t keyRgb = argbFromPlatform(key, 0) & 0xFFFFFF;
    // Such a document still erases and warps away to its own outer colour, the
    // "none" key read as white with alpha 0: those places are transparent too.
    const std::uint32_t documentRgb = argbFromPlatform(keyColor, 0) & 0xFFFFFF;

    std::vector<std::uint8_t> keyed;
    const PlatformBitmap flat = keyTransparentPlaces(picture, keyRgb, documentRgb, keyed);

    // The reduction may move the key to a neighbouring palette colour; put
    // exactly the key back at every transparent place and reduce again, so
    // that the key is a palette entry and the file's transparent index. 256
    // reduced colours and the key make 257; the key must not be the one that
    // loses its entry, even when it covers only a few pixels.
    const PlatformBitmap indexed = reduceKeyedAgain(reduceColors(flat), keyed, keyRgb);

    GifImage gif;
    gif.addFrameFromBitmap(indexed);
    gif.setFrameTransparency(0, key);
    writeFileAtomically(path, gif.store());
    return expandIndexed(indexed);
}

}  // namespace mugwarp
