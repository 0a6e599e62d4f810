#include "edit/clipart_picture.h"

#include "document/key_color.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"

namespace mugwarp {

bool isGifFileName(const std::string& path) { return lowerExtension(path) == ".gif"; }

ClipartPicture loadClipartPicture(const std::string& path, bool transparentGif) {
    return clipartFromFile(readPictureFile(path), transparentGif);
}

ClipartPicture clipartFromFile(PictureFile file, bool transparentGif) {
    ClipartPicture out;
    if (file.kind == PictureKind::Gif) {
        if (transparentGif) {
            const PlatformColor key = file.gifKey.value_or(kNoKeyColor);
            clearKeyColor(file.bitmap, key);
            out.picture.assign(file.bitmap);
            out.keyed = true;
        } else {
            out.picture.assign(file.bitmap);
            out.picture.resetAlpha(255);
        }
    } else if (file.hasAlpha) {
        // The picture's own transparency says what the overlay leaves
        // see-through; the overlay model knows only "drawn" and "not drawn".
        out.keyed = thresholdAlpha(file.bitmap);
        out.picture.assign(file.bitmap);
        if (!out.keyed) out.picture.resetAlpha(255);
    } else {
        out.picture.assign(flattenOnto(std::move(file), kPictureOuterColor));
    }
    out.picture.setDrawMode(DrawMode::Blend);
    out.picture.setMasterAlpha(255);
    out.picture.setSamplerKind(SamplerKind::Nearest);
    return out;
}

}  // namespace mugwarp
