#pragma once
#include <string>

namespace mugwarp::filterproc {

// A new folder only we may enter (mode 0700), named prefix + random letters
// inside parent, removed with its contents when the object goes. Throws
// std::runtime_error when it cannot be made.
class PrivateFolder {
public:
    PrivateFolder(const std::string& parent, const std::string& prefix);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const std::string& path() const { return path_; }
    const std::string& parent() const { return parent_; }

private:
    std::string parent_;
    std::string path_;
};

}  // namespace mugwarp::filterproc
