#pragma once
#include <memory>
#include <string>
#include <vector>

#include "filterproc/shared_picture.h"

namespace mugwarp::filterproc {

// Creates a new file of `size` bytes in `directory`, mapped; the file is removed
// when the object goes. Throws std::runtime_error when it cannot be made.
std::unique_ptr<MappedFile> createSharedPictureFile(const std::string& directory, std::size_t size);

// Where the file may go, best first: a memory file system, then $TMPDIR.
std::vector<std::string> sharedPictureDirectories();

}  // namespace mugwarp::filterproc
