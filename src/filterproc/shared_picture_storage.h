#pragma once
#include <memory>

#include "filterproc/shared_picture.h"
#include "filterproc/shared_picture_file.h"
#include "raster/pixel_storage.h"

namespace mugwarp::filterproc {

// The picture part of a shared picture file as a surface's storage: a surface
// kept there is what the runner filters, with nothing copied in or out. It
// keeps the file (and its mapping) for as long as the surface holds it.
class SharedPictureStorage : public PixelStorage {
public:
    SharedPictureStorage(std::shared_ptr<SharedPictureFile> file, std::size_t capacity)
        : file_(std::move(file)), capacity_(capacity) {}

    Argb* pixels() override {
        return reinterpret_cast<Argb*>(file_->data() + SharedPictureLayout::kPictureOffset);
    }
    std::size_t capacity() const override { return capacity_; }
    const std::shared_ptr<SharedPictureFile>& file() const { return file_; }

private:
    std::shared_ptr<SharedPictureFile> file_;
    std::size_t capacity_;
};

}  // namespace mugwarp::filterproc
