// mugwarp-thumbnailer: the picture of a Mugwarp project as a PNG, for file
// managers (share/thumbnailers/mugwarp.thumbnailer calls it).
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "edit/project_thumbnail.h"
#include "raster/error.h"
#include "thumbnailer/png_output.h"

namespace {

constexpr std::string_view kUsage =
    "usage: mugwarp-thumbnailer [-s SIZE] PROJECT OUT.png\n"
    "  writes the picture of a .mugwarp project, overlays drawn in, shrunk to fit\n"
    "  SIZE x SIZE pixels (default 256; a smaller picture keeps its size), as a PNG\n";

// A file manager may hand over a file:// address instead of a path.
std::string pathOf(std::string_view argument) {
    constexpr std::string_view kScheme = "file://";
    if (argument.substr(0, kScheme.size()) != kScheme) return std::string(argument);
    std::string path;
    for (std::size_t i = kScheme.size(); i < argument.size(); ++i) {
        if (argument[i] == '%' && i + 2 < argument.size()) {
            path += static_cast<char>(std::stoi(std::string(argument.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            path += argument[i];
        }
    }
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    int size = 256;
    std::string files[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "-s" || arg == "--size") && i + 1 < argc) {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 1 || value > 4096) {
                std::cerr << "mugwarp-thumbnailer: the size is 1 to 4096 pixels\n" << kUsage;
                return 2;
            }
            size = static_cast<int>(value);
        } else if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (count < 2 && !(arg.size() > 1 && arg[0] == '-')) {
            files[count++] = pathOf(arg);
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if (count != 2) {
        std::cerr << kUsage;
        return 2;
    }
    try {
        mugwarp::ProjectSnapshot project = mugwarp::readProjectFile(files[0], mugwarp::ProjectContent::Picture);
        mugwarp::writePng(mugwarp::projectThumbnail(std::move(project), size), files[1]);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
