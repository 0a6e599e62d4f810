#include "filterproc/wine_paths.h"

namespace mugwarp::filterproc {

std::string windowsPathOf(const std::string& linuxPath) {
    if (linuxPath.empty() || linuxPath[0] != '/') return linuxPath;
    std::string path = "Z:" + linuxPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace mugwarp::filterproc
