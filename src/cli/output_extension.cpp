#include <iostream>

#include "cli/cli_commands.h"
#include "edit/project_file.h"
#include "formats/picture_io.h"

namespace mugwarp::cli {

bool checkOutputExtension(const std::string& path) {
    if (pictureFormatFor(path) != PictureFormat::None || hasProjectExtension(path)) return true;
    const std::string ext = lowerExtension(path);
    std::cerr << "Cannot save as " << (ext.empty() ? "a file without extension" : ext)
              << ": use .bmp, .jpg, .jpeg, .png, .webp, .gif, .pdf or .mugwarp\n";
    return false;
}

}  // namespace mugwarp::cli
