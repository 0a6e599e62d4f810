#include <iostream>

#include "cli/cli_commands.h"
#include "cli/save_flags.h"
#include "formats/picture_file.h"
#include "cli/overlay_actions.h"
#include "edit/project_document.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"

namespace mugwarp::cli {
namespace {

// The picture as the editor opens it: transparent places of a PNG, WebP or
// HEIC laid on the document's outer colour, BMP as decoded (the alpha a
// 32-bit BMP carries stays, so erased places stay erased); a GIF's
// transparent colour keyed to alpha 0, a GIF without one fully opaque.
struct OpenedPicture {
    PixelSurface pixels;
    PlatformColor key = kDefaultKeyColor;
    PhotoInfo info;
};

OpenedPicture open(const std::string& path) {
    OpenedPicture opened;
    PictureFile file = readPictureFile(path);
    if (file.kind != PictureKind::Gif) {
        opened.info = std::move(file.info);
        opened.pixels.assign(flattenOnto(std::move(file), kPictureOuterColor));
        return opened;
    }
    opened.pixels.assign(file.bitmap);
    opened.pixels.resetAlpha(255);
    opened.key = kNoKeyColor;
    if (file.gifKey) {
        opened.key = *file.gifKey;
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
    return "usage: mugwarp-cli convert [OPTIONS] IN OUT\n"
           "  loads IN (BMP, JPEG, GIF, PNG, WebP, HEIC or AVIF, told by its content, or a\n"
           "  .mugwarp project) as the editor opens it, upright and in sRGB, and saves it as\n"
           "  OUT in the format its extension names: .jpg or .jpeg, .png, .webp, .bmp, .gif\n"
           "  or .pdf (a project flattened, its overlays drawn in, as Save does), or .mugwarp\n" +
           saveFlagsHelp();
}

int runConvert(const std::vector<std::string>& arguments) {
    std::vector<std::string> args;
    SaveFlags flags;
    if (!takeSaveFlags(arguments, args, flags) || args.size() != 2) {
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
        savePicture(picture.pixels, args[1], picture.key, flags.options(picture.info));
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
