#include <iostream>

#include "cli/cli_commands.h"
#include "cli/overlay_actions.h"
#include "edit/project_document.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"

namespace mugwarp::cli {
namespace {

// The picture as the editor opens it: JPEG and BMP as decoded (opaque, except
// the alpha a 32-bit BMP carries, so erased places stay erased); a GIF's
// transparent colour keyed to alpha 0, a GIF without one fully opaque.
struct OpenedPicture {
    PixelSurface pixels;
    PlatformColor key = kDefaultKeyColor;
};

OpenedPicture open(const std::string& path) {
    OpenedPicture opened;
    if (lowerExtension(path) != ".gif") {
        opened.pixels.assign(loadPicture(path));
        return opened;
    }
    GifPicture gif = loadGifPicture(path);
    opened.pixels.assign(gif.composite);
    opened.pixels.resetAlpha(255);
    opened.key = kNoKeyColor;
    if (gif.transparentColor) {
        opened.key = *gif.transparentColor;
        const Argb keyRgb = argbFromPlatform(opened.key, 0);
        for (int y = 0; y < opened.pixels.height(); ++y) {
            Argb* row = opened.pixels.row(y);
            for (int x = 0; x < opened.pixels.width(); ++x)
                if ((row[x] & 0xFFFFFF) == keyRgb) row[x] = keyRgb;
        }
    }
    return opened;
}

}  // namespace

std::string convertUsage() {
    return "usage: mugwarp-cli convert IN OUT\n"
           "  loads IN (BMP, JPEG or GIF, or a .mugwarp project) as the editor opens it and\n"
           "  saves it as OUT in the format its extension names: .jpg or .jpeg, .bmp, .gif\n"
           "  or .pdf (a project flattened, its overlays drawn in, as Save does), or .mugwarp\n";
}

int runConvert(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::cerr << convertUsage();
        return 2;
    }
    try {
        if (!checkOutputExtension(args[1])) return 1;
        if (isProjectFile(args[0]) || hasProjectExtension(args[1])) {
            Document document;
            OverlayStack overlays;
            openDocumentFile(document, overlays, args[0]);
            saveDocument(document, overlays, args[1]);
            return 0;
        }
        const OpenedPicture picture = open(args[0]);
        savePicture(picture.pixels, args[1], picture.key);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
