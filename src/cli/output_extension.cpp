#include <iostream>

#include "cli/cli_commands.h"
#include "formats/picture_io.h"

namespace mugwarp::cli {

bool checkOutputExtension(const std::string& path) {
    const std::string ext = lowerExtension(path);
    if (ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" || ext == ".pdf") return true;
    std::cerr << "Cannot save as " << (ext.empty() ? "a file without extension" : ext)
              << ": use .bmp, .jpg, .jpeg, .gif or .pdf\n";
    return false;
}

}  // namespace mugwarp::cli
