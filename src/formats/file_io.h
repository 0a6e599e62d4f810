#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace mugwarp {

// The whole file in memory. Throws Error("Cannot open file ...") when it cannot be read.
std::vector<std::uint8_t> readWholeFile(const std::string& path);

// Replaces path with bytes only once they are completely on disk: they go to a
// temporary file beside the target, which is renamed over it. On any failure
// the temporary file is removed and the old target stays as it was.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Removes a file when it goes out of scope, whatever path the code took.
class FileRemover {
public:
    explicit FileRemover(std::string path) : path_(std::move(path)) {}
    ~FileRemover();
    FileRemover(const FileRemover&) = delete;
    FileRemover& operator=(const FileRemover&) = delete;
    // The file is to stay after all.
    void keep() { path_.clear(); }

private:
    std::string path_;
};

}  // namespace mugwarp
