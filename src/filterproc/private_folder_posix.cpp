#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "filterproc/private_folder.h"

namespace mugwarp::filterproc {

PrivateFolder::PrivateFolder(const std::string& parent, const std::string& prefix) : parent_(parent) {
    std::string pattern = parent + "/" + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder in " + parent + ": " + std::strerror(errno));
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace mugwarp::filterproc
