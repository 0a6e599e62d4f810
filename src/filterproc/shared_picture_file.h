#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "filterproc/shared_picture.h"

namespace mugwarp::filterproc {

// The editor's shared picture file: created by it, removed when the object goes.
class SharedPictureFile : public MappedFile {
public:
    // The file's size now. A runner may have changed it; touching mapped
    // pages past a shortened end would end the editor with SIGBUS.
    virtual std::uint64_t sizeOnDisk() const = 0;
    // Reads size bytes at offset from the file itself, not through the
    // mapping: a file shortened meanwhile gives a short read (false), where
    // touching the mapping past its end would end the editor.
    virtual bool readAt(std::size_t offset, void* into, std::size_t size) const = 0;
};

// Bytes a new file starts with at offset; the rest of it is zero.
struct FileContent {
    std::size_t offset = 0;
    const void* bytes = nullptr;
    std::size_t size = 0;
};

// Creates a new file of `size` bytes in `directory`, holding content when
// given, mapped. Throws std::runtime_error when it cannot be made.
std::unique_ptr<SharedPictureFile> createSharedPictureFile(const std::string& directory, std::size_t size,
                                                           const FileContent& content = {});

// Where the file may go, best first: a memory file system, then $TMPDIR.
std::vector<std::string> sharedPictureDirectories();

}  // namespace mugwarp::filterproc
