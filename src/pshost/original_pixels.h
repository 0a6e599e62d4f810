#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "pshost/image_views.h"
#include "pshost/large_allocation.h"

namespace mugwarp {

// The picture a filter run writes into, and the picture as it was when the
// run began. Nothing is copied up front: the first write into a row copies
// the columns it is about to change aside (copy on first write), so a run
// that ends normally has copied only what it overwrote before its end, and a
// cancel puts exactly those pixels back.
//
// In each row the columns copied aside form one span; a write beyond it
// widens the span over the columns between, which still hold their own
// pixels. Outside the span the picture itself is the original.
class OriginalPixels {
public:
    OriginalPixels() = default;
    explicit OriginalPixels(const PixelsView& picture) { attach(picture); }

    // The picture of the next runs. The storage stays while the size does.
    void attach(const PixelsView& picture);
    // Nothing copied aside: the picture as it is now is the original.
    void beginRun();
    // Gives the storage back (the next copy allocates it again); nothing
    // stays copied aside.
    void release();
    std::size_t storageBytes() const {
        return store_ ? std::size_t(picture_.width) * std::size_t(picture_.height) * sizeof(std::uint32_t) : 0;
    }

    const PixelsView& picture() const { return picture_; }
    int width() const { return picture_.width; }
    int height() const { return picture_.height; }

    // Call before writing columns left .. right - 1 of rows top .. bottom - 1
    // (clipped to the picture). False when the storage cannot be had.
    bool save(int top, int left, int bottom, int right);
    // Writes every pixel copied aside back into the picture.
    void restore() const;

    // The original pixel at (x, y), inside the picture.
    std::uint32_t pixel(int x, int y) const {
        const Span s = saved_[std::size_t(y)];
        return x >= s.left && x < s.right ? store_[std::size_t(y) * std::size_t(picture_.width) + std::size_t(x)]
                                          : picture_.row(y)[x];
    }
    // The original pixels of row y, columns x0 .. x1 - 1 (inside the
    // picture), as at most three contiguous runs: run(pixels, x, count).
    template <typename Run>
    void forEachRun(int y, int x0, int x1, Run run) const {
        const Span s = saved_[std::size_t(y)];
        const int a = std::clamp(s.left, x0, x1), b = std::clamp(s.right, a, x1);
        const std::uint32_t* row = picture_.row(y);
        if (a == b) {
            run(row + x0, x0, x1 - x0);
            return;
        }
        if (x0 < a) run(row + x0, x0, a - x0);
        run(store_.get() + std::size_t(y) * std::size_t(picture_.width) + std::size_t(a), a, b - a);
        if (b < x1) run(row + b, b, x1 - b);
    }

private:
    struct Span {
        int left = 0, right = 0;  // empty when right <= left
    };
    void copyAside(int y, int left, int right);

    PixelsView picture_;
    LargeArray<std::uint32_t> store_;  // width x height when allocated, rows width apart
    std::vector<Span> saved_;                 // one per row
    int savedTop_ = 0, savedBottom_ = 0;      // the rows that may have a span
};

}  // namespace mugwarp
