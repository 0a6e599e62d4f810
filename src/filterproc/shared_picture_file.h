#pragma once
#include <memory>
#include <string>

#include "filterproc/shared_picture.h"

namespace mugwarp::filterproc {

// Creates a new file of `size` bytes in `directory`, mapped; the file is removed
// when the object goes. Throws std::runtime_error when it cannot be made.
std::unique_ptr<MappedFile> createSharedPictureFile(const std::string& directory, std::size_t size);

// A directory whose files live in memory where the system offers one.
std::string sharedPictureDirectory();

}  // namespace mugwarp::filterproc
