#include "edit/clipart_picture.h"

#include "document/key_color.h"
#include "formats/picture_io.h"

namespace mugwarp {

bool isGifFileName(const std::string& path) { return lowerExtension(path) == ".gif"; }

ClipartPicture loadClipartPicture(const std::string& path, bool transparentGif) {
    ClipartPicture out;
    if (!isGifFileName(path)) {
        out.picture.assign(loadPicture(path));
    } else {
        GifPicture gif = loadGifPicture(path);
        if (transparentGif) {
            const PlatformColor key = gif.transparentColor.value_or(kNoKeyColor);
            clearKeyColor(gif.composite, key);
            out.picture.assign(gif.composite);
            out.keyed = true;
        } else {
            out.picture.assign(gif.composite);
            out.picture.resetAlpha(255);
        }
    }
    out.picture.setDrawMode(DrawMode::Blend);
    out.picture.setMasterAlpha(255);
    out.picture.setSamplerKind(SamplerKind::Nearest);
    return out;
}

}  // namespace mugwarp
