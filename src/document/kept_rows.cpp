#include "document/kept_rows.h"

#include <mutex>
#include <system_error>
#include <utility>

#include "raster/cell_storage.h"
#include "raster/error.h"

namespace mugwarp {

namespace {

// Below this a block packs in well under a millisecond: done at once.
constexpr std::size_t kBackgroundBytes = std::size_t{64} << 10;

}  // namespace

struct KeptRows::State {
    mutable std::mutex lock;
    std::atomic<bool> stop{false};
    std::shared_ptr<const PixelSurface> raw;  // until packed
    PackedRows packed;
    bool isPacked = false;
    int width = 0;
    int height = 0;
    PackedRows::Content content = PackedRows::Content::Differences;

    void pack() {
        std::shared_ptr<const PixelSurface> rows;
        {
            const std::lock_guard<std::mutex> guard(lock);
            rows = raw;
        }
        PackedRows result = PackedRows::pack(*rows, rows->bounds(), content, &stop);
        const std::lock_guard<std::mutex> guard(lock);
        if (stop) return;
        packed = std::move(result);
        isPacked = true;
        raw.reset();
    }
};

KeptRows::KeptRows(PixelSurface rows, int left, int top, PackedRows::Content content)
    : KeptRows(std::make_shared<const PixelSurface>(std::move(rows)), left, top, content) {}

KeptRows::KeptRows(std::shared_ptr<const PixelSurface> rows, int left, int top, PackedRows::Content content)
    : state_(std::make_shared<State>()), left_(left), top_(top) {
    if (allocationHookFails()) throw Error("Not enough memory to keep the step for Undo");
    state_->content = content;
    state_->width = rows->width();
    state_->height = rows->height();
    const std::size_t rawBytes = static_cast<std::size_t>(rows->width()) * static_cast<std::size_t>(rows->height()) * sizeof(Argb);
    state_->raw = std::move(rows);
    if (rawBytes < kBackgroundBytes) {
        state_->pack();
        return;
    }
    try {
        packing_ = std::async(std::launch::async, [state = state_] {
            try {
                state->pack();
            } catch (...) {
                // Without memory to pack, the rows stay as they are.
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the rows stay as they are.
    }
}

KeptRows::~KeptRows() { stopPacking(); }

KeptRows& KeptRows::operator=(KeptRows&& other) noexcept {
    if (this != &other) {
        stopPacking();
        state_ = std::move(other.state_);
        packing_ = std::move(other.packing_);
        left_ = other.left_;
        top_ = other.top_;
    }
    return *this;
}

void KeptRows::stopPacking() noexcept {
    if (!packing_.valid()) return;
    state_->stop = true;
    packing_.wait();
}

void KeptRows::applyTo(PixelSurface& picture, RowApply how) const {
    if (!state_) return;
    std::shared_ptr<const PixelSurface> rows;
    {
        const std::lock_guard<std::mutex> guard(state_->lock);
        if (!state_->isPacked) rows = state_->raw;
    }
    // Once packed, the packed data never changes again.
    if (!rows) {
        state_->packed.unpack(picture, left_, top_, how);
        return;
    }
    if (rows->width() > 0) applyRows(picture, left_, top_, rows->row(0), rows->width(), rows->height(), how);
}

std::size_t KeptRows::bytes() const {
    if (!state_) return 0;
    const std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->isPacked) return state_->packed.bytes();
    return static_cast<std::size_t>(state_->width) * static_cast<std::size_t>(state_->height) * sizeof(Argb);
}

void KeptRows::waitUntilPacked() const {
    if (packing_.valid()) packing_.wait();
}

}  // namespace mugwarp
