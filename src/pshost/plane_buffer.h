#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "pshost/filter_abi.h"
#include "pshost/half_worker.h"
#include "pshost/image_views.h"
#include "pshost/large_allocation.h"
#include "pshost/original_pixels.h"
#include "pshost/rgb_rows.h"

namespace mugwarp {

// A rectangle of picture planes as a filter asked for it.
struct PlaneRequest {
    abi::Rect16 rect{};
    std::int16_t loPlane = 0;
    std::int16_t hiPlane = 0;
    std::int16_t preDummy = 0;
    std::int16_t postDummy = 0;
    abi::Fixed rate = 0;  // 16.16; 0 means 1
};

// What the filter got for a request: where the bytes are and their steps.
struct PlaneAnswer {
    void* data = nullptr;
    std::int32_t rowBytes = 0;
    std::int32_t columnBytes = 0;
    std::int32_t planeBytes = 0;
    abi::OSErr error = abi::kNoErr;  // when data is null
};

// Bytes that are not zeroed when allocated (every byte handed to a filter is
// written first), and whose storage is kept when a block shrinks.
class ByteBlock {
public:
    // False when the memory cannot be had; the block is then empty.
    bool resize(std::size_t size);
    void release();
    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t* begin() { return data(); }
    std::uint8_t* end() { return data() + size_; }

private:
    LargeArray<std::uint8_t> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// One block of interleaved plane bytes handed to a filter, owned by the host.
struct PlaneBuffer {
    PlaneRequest request;  // the rectangle, planes and rate the block holds
    ByteBlock bytes;
    // The alpha of the pixels the block was filled from: when all alike, the
    // write-back need not read the picture to keep it.
    AlphaSeen alpha;

    void release() {
        request = {};
        alpha = {};
        bytes.release();
    }
    // Empty for the next run, keeping the storage: a fresh block of this size
    // would cost a page fault every 4 KiB on the first write.
    void forget() {
        request = {};
        alpha = {};
        bytes.resize(0);
    }
};

bool isEmpty(const abi::Rect16& r);
int planeCount(const PlaneRequest& r);

// Whether the block already holds the request: a rectangle inside its own,
// with the same planes and rate, is answered by pointing into it.
bool holds(const PlaneBuffer& buffer, const PlaneRequest& request);

// Answers a request from the original picture (what the run has not changed
// yet, or what it copied aside before changing it). A request the block
// holds points into the block without copying; anything else refills the
// block, with 0 where the request reaches outside the picture. Nothing (data
// null) when the request is malformed or too large to hold. Blocks too
// large for the cache are shared with the worker, when there is one.
PlaneAnswer fillBuffer(const PlaneRequest& request, PlaneBuffer& buffer, const OriginalPixels& source,
                       std::size_t byteLimit, HalfWorker* halves = nullptr);

// Writes the block's planes into the picture, clipped to it. With a mask,
// the written planes are blended with the original picture: m = 255 keeps
// the filtered value, m = 0 the original one. As fillBuffer, large blocks
// of whole pixels are shared with the worker.
void writeBack(const PlaneBuffer& buffer, const OriginalPixels& picture, const MaskView* blendMask,
               HalfWorker* halves = nullptr);

// The mask bytes of rect (sampled every rate pixels), 0 outside the mask,
// one byte per pixel, rowBytes = rect width.
bool fillMaskBuffer(const abi::Rect16& rect, abi::Fixed rate, const MaskView& mask, std::vector<std::uint8_t>& out,
                    std::size_t byteLimit);

}  // namespace mugwarp
