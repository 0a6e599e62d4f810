#include "pshost/original_pixels.h"

#include <cstring>

namespace mugwarp {

void OriginalPixels::attach(const PixelsView& picture) {
    const bool sameSize = picture.width == picture_.width && picture.height == picture_.height;
    picture_ = picture;
    if (!sameSize) {
        release();
        saved_.assign(std::size_t(std::max(0, picture.height)), Span{});
        savedTop_ = savedBottom_ = 0;
    }
    beginRun();
}

void OriginalPixels::beginRun() {
    std::fill(saved_.begin() + savedTop_, saved_.begin() + savedBottom_, Span{});
    savedTop_ = savedBottom_ = 0;
}

void OriginalPixels::release() {
    beginRun();
    store_.reset();
}

void OriginalPixels::copyAside(int y, int left, int right) {
    if (right <= left) return;
    std::memcpy(store_.get() + std::size_t(y) * std::size_t(picture_.width) + std::size_t(left), picture_.row(y) + left,
                std::size_t(right - left) * sizeof(std::uint32_t));
}

bool OriginalPixels::save(int top, int left, int bottom, int right) {
    top = std::max(top, 0), left = std::max(left, 0);
    bottom = std::min(bottom, picture_.height), right = std::min(right, picture_.width);
    if (bottom <= top || right <= left) return true;
    if (!store_) {
        // Not zeroed: pages a run never copies into are never touched.
        store_ = allocateLargeArray<std::uint32_t>(std::size_t(picture_.width) * std::size_t(picture_.height));
        if (!store_) return false;
    }
    if (savedTop_ == savedBottom_) {
        savedTop_ = top, savedBottom_ = bottom;
    } else {
        savedTop_ = std::min(savedTop_, top), savedBottom_ = std::max(savedBottom_, bottom);
    }
    for (int y = top; y < bottom; ++y) {
        Span& s = saved_[std::size_t(y)];
        if (s.right <= s.left) {
            copyAside(y, left, right);
            s = {left, right};
            continue;
        }
        if (left < s.left) copyAside(y, left, s.left), s.left = left;
        if (right > s.right) copyAside(y, s.right, right), s.right = right;
    }
    return true;
}

void OriginalPixels::restore() const {
    for (int y = savedTop_; y < savedBottom_; ++y) {
        const Span s = saved_[std::size_t(y)];
        if (s.right <= s.left) continue;
        std::memcpy(picture_.row(y) + s.left, store_.get() + std::size_t(y) * std::size_t(picture_.width) + s.left,
                    std::size_t(s.right - s.left) * sizeof(std::uint32_t));
    }
}

}  // namespace mugwarp
