#pragma once
#include <cstddef>
#include <future>
#include <memory>

#include "document/packed_rows.h"

namespace mugwarp {

// Rows kept for the history. Large blocks are held as they are at first and
// packed on a background thread, so that recording a step costs the user no
// more than a copy; until the packing is done they are used as they are.
class KeptRows {
public:
    KeptRows() = default;
    // rows is a block to go back into a picture with its top-left corner at
    // (left, top).
    KeptRows(PixelSurface rows, int left, int top, PackedRows::Content content);
    // The same with rows shared with their owner, who must not change them.
    KeptRows(std::shared_ptr<const PixelSurface> rows, int left, int top, PackedRows::Content content);
    // A step dropped while its rows are still being packed stops the packing
    // rather than wait for it.
    ~KeptRows();
    KeptRows(KeptRows&&) noexcept = default;
    KeptRows& operator=(KeptRows&& other) noexcept;

    // Writes the rows into picture (see applyRows).
    void applyTo(PixelSurface& picture, RowApply how) const;

    // Memory held: the packed data, or the rows while they are packed.
    std::size_t bytes() const;
    // Blocks until the background packing (if any) has ended.
    void waitUntilPacked() const;

private:
    void stopPacking() noexcept;

    struct State;
    std::shared_ptr<State> state_;
    std::future<void> packing_;
    int left_ = 0;
    int top_ = 0;
};

}  // namespace mugwarp
