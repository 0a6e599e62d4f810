#include "filterproc/shared_picture.h"

#include <stdexcept>

#include "formats/picture_limits.h"

namespace mugwarp::filterproc {

SharedPictureLayout::SharedPictureLayout(std::int32_t w, std::int32_t h, bool mask) : withMask(mask) {
    // Sizes come from the other side too: bounded here, the sums below cannot wrap.
    if (w < 0 || h < 0 || std::int64_t(w) * h > kMaxPicturePixels)
        throw std::invalid_argument("a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    width = static_cast<std::size_t>(w);
    height = static_cast<std::size_t>(h);
}

SharedPictureViews viewsOf(MappedFile& file, const SharedPictureLayout& layout) {
    if (file.size() < layout.totalBytes()) throw std::runtime_error("shared picture file too small for the picture");
    std::uint8_t* base = file.data();
    return {reinterpret_cast<std::uint32_t*>(base + layout.pictureOffset()),
            layout.withMask ? base + layout.maskOffset() : nullptr};
}

}  // namespace mugwarp::filterproc
