#include <cstdio>
#include <iostream>

#include "cli/cli_commands.h"
#include "edit/project_file.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp::cli {
namespace {

std::string hexColor(PlatformColor c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

// Comment lines may hold any bytes; show them printable, one per line.
std::string printable(const std::string& line) {
    std::string out;
    for (unsigned char c : line) {
        if (c == '\r') continue;
        out += (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) ? char(c) : '?';
    }
    return out;
}

void describeGif(const std::string& path) {
    GifImage gif;
    gif.load(readWholeFile(path));
    std::cout << "format: GIF\n";
    std::cout << "width: " << gif.width() << "\n";
    std::cout << "height: " << gif.height() << "\n";
    std::cout << "version: " << (gif.version == 2 ? "89a" : "87a") << "\n";
    std::cout << "frames: " << gif.frames.size() << "\n";
    const PlatformColor key = gif.frames.empty() ? kGifNoColor : gif.transparentColor(0);
    std::cout << "transparent: " << (key == kGifNoColor ? std::string("none") : hexColor(key)) << "\n";
    if (!gif.frames.empty() && gif.frames[0].corrupted) std::cout << "damaged: yes\n";
    if (gif.comment.empty()) {
        std::cout << "comment: none\n";
    } else {
        std::cout << "comment:\n";
        for (const std::string& line : gif.comment) std::cout << "  " << printable(line) << "\n";
    }
}

// The names EXIF gives its orientations.
const char* orientationName(int orientation) {
    static const char* const names[] = {"none",
                                        "Horizontal (normal)",
                                        "Mirror horizontal",
                                        "Rotate 180",
                                        "Mirror vertical",
                                        "Mirror horizontal and rotate 270 CW",
                                        "Rotate 90 CW",
                                        "Mirror horizontal and rotate 90 CW",
                                        "Rotate 270 CW"};
    return orientation >= 1 && orientation <= 8 ? names[orientation] : names[0];
}

void describePicture(const PictureFile& file) {
    std::cout << "format: " << pictureKindName(file.kind) << "\n";
    std::cout << "width: " << file.bitmap.width() << "\n";
    std::cout << "height: " << file.bitmap.height() << "\n";
    std::cout << "orientation: ";
    if (file.declaredOrientation == 0) std::cout << "none\n";
    else std::cout << file.declaredOrientation << " (" << orientationName(file.declaredOrientation) << ")\n";
    std::cout << "transparency: " << (file.hasAlpha ? "yes" : "no") << "\n";
    std::string blocks;
    for (const auto& [name, bytes] : {std::pair{"EXIF", &file.info.exif}, std::pair{"XMP", &file.info.xmp},
                                      std::pair{"IPTC", &file.info.iptc}})
        if (!bytes->empty()) blocks += (blocks.empty() ? "" : ", ") + std::string(name);
    std::cout << "metadata: " << (blocks.empty() ? "none" : blocks) << "\n";
    for (const std::string& note : file.notes) std::cout << "note: " << note << "\n";
}

void describeProject(const std::string& path) {
    const ProjectSnapshot project = readProjectFile(path);
    bool deformed = false;
    for (int y = 0; y < project.deformation.height() && !deformed; ++y)
        for (int x = 0; x < project.deformation.width() && !deformed; ++x)
            deformed = !(project.deformation.vector(x, y) == FixedVector{});
    bool frozen = false;
    for (int y = 0; y < project.freezeMask.height() && !frozen; ++y)
        for (int x = 0; x < project.freezeMask.width() && !frozen; ++x) frozen = project.freezeMask.value(x, y) != 0;
    std::cout << "format: Mugwarp project\n";
    std::cout << "width: " << project.source.width() << "\n";
    std::cout << "height: " << project.source.height() << "\n";
    std::cout << "deformed: " << (deformed ? "yes" : "no") << "\n";
    std::cout << "frozen: " << (frozen ? "yes" : "no") << "\n";
    std::cout << "overlays: " << project.overlays.size() << "\n";
    std::cout << "picture: " << (project.pictureFileName.empty() ? "none" : printable(project.pictureFileName)) << "\n";
}

}  // namespace

std::string infoUsage() {
    return "usage: mugwarp-cli info FILE\n"
           "  prints the picture's format (told by its content), width and height, one\n"
           "  \"name: value\" per line; for a GIF also its version, frames, transparent colour\n"
           "  and comment; for other pictures the orientation the file declares (the size is\n"
           "  the upright one), whether it has transparency, and its metadata blocks; for a\n"
           "  .mugwarp project whether it is deformed and frozen, its overlays and the\n"
           "  picture it began from\n";
}

int runInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::cerr << infoUsage();
        return 2;
    }
    const std::string& path = args[0];
    try {
        if (isProjectFile(path)) {
            describeProject(path);
            return 0;
        }
        const PictureFile file = readPictureFile(path);
        if (file.kind == PictureKind::Gif) describeGif(path);
        else describePicture(file);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
