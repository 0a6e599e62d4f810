#include "document/packed_rows.h"

#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "raster/error.h"

namespace mugwarp {

namespace {

// Level 1 packs a picture's differences about five times and unpacks near a
// gigabyte a second per core; higher levels cost more time than a history
// step is worth.
constexpr int kLevel = 1;
// A chunk's rows are packed on their own: large enough for the compressor to
// find what repeats, small enough to share a picture among the cores.
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
// Below this much work a second thread costs more than it saves.
constexpr std::size_t kParallelBytes = std::size_t{4} << 20;

constexpr std::uint32_t kHigh = 0x80808080u;

// Four wrapping byte additions and subtractions at once.
inline std::uint32_t addBytes(std::uint32_t a, std::uint32_t b) { return ((a & ~kHigh) + (b & ~kHigh)) ^ ((a ^ b) & kHigh); }
inline std::uint32_t subtractBytes(std::uint32_t a, std::uint32_t b) {
    return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

// Runs work(i) for every i below count, spread over the cores when total is
// worth it. The first exception thrown is rethrown here.
template <typename Work>
void forEachChunk(std::size_t count, std::size_t total, Work work) {
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    const std::size_t threads = total < kParallelBytes ? 1 : std::min<std::size_t>(cores, count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) work(i);
        return;
    }
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto run = [&](std::size_t first) {
        try {
            for (std::size_t i = first; i < count; i += threads) work(i);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run, t);
        run(0);
    }
    if (failure) std::rethrow_exception(failure);
}

[[noreturn]] void packingFailed(std::size_t code) {
    throw Error(std::string("Cannot keep the step for Undo: ") + ZSTD_getErrorName(code));
}

}  // namespace

PackedRows PackedRows::packPixels(const PixelSurface& picture, const Rect& rect) {
    return pack(picture, nullptr, rect);
}

PackedRows PackedRows::packDifference(const PixelSurface& before, const PixelSurface& after, const Rect& rect) {
    return pack(after, &before, rect);
}

PackedRows PackedRows::pack(const PixelSurface& after, const PixelSurface* before, const Rect& rect) {
    PackedRows out;
    out.rect_ = rect.intersected(after.bounds());
    if (before) out.rect_ = out.rect_.intersected(before->bounds());
    if (out.rect_.isEmpty()) return out;
    const int width = out.rect_.width();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(Argb);
    const int rowsPerChunk = static_cast<int>(std::max<std::size_t>(1, kChunkBytes / rowBytes));
    for (int first = 0; first < out.rect_.height(); first += rowsPerChunk)
        out.chunks_.push_back({first, std::min(rowsPerChunk, out.rect_.height() - first), {}});

    forEachChunk(out.chunks_.size(), rowBytes * static_cast<std::size_t>(out.rect_.height()), [&](std::size_t i) {
        Chunk& chunk = out.chunks_[i];
        std::vector<Argb> raw(static_cast<std::size_t>(width) * static_cast<std::size_t>(chunk.rows));
        for (int r = 0; r < chunk.rows; ++r) {
            const int y = out.rect_.top + chunk.firstRow + r;
            const Argb* to = after.row(y) + out.rect_.left;
            Argb* line = raw.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
            if (!before) {
                std::memcpy(line, to, rowBytes);
                continue;
            }
            const Argb* from = before->row(y) + out.rect_.left;
            for (int x = 0; x < width; ++x) line[x] = subtractBytes(to[x], from[x]);
        }
        const std::size_t rawBytes = raw.size() * sizeof(Argb);
        chunk.data.resize(ZSTD_compressBound(rawBytes));
        const std::size_t packed = ZSTD_compress(chunk.data.data(), chunk.data.size(), raw.data(), rawBytes, kLevel);
        if (ZSTD_isError(packed)) packingFailed(packed);
        chunk.data.resize(packed);
        chunk.data.shrink_to_fit();
    });
    return out;
}

void PackedRows::unpackPixels(PixelSurface& picture) const { unpack(picture, Apply::Copy); }
void PackedRows::addDifference(PixelSurface& picture) const { unpack(picture, Apply::Add); }
void PackedRows::subtractDifference(PixelSurface& picture) const { unpack(picture, Apply::Subtract); }

void PackedRows::unpack(PixelSurface& picture, Apply how) const {
    if (rect_.isEmpty()) return;
    if (!picture.bounds().contains(rect_.left, rect_.top) || rect_.right > picture.width() ||
        rect_.bottom > picture.height())
        throw Error("The step for Undo does not fit the picture");
    const int width = rect_.width();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(Argb);
    forEachChunk(chunks_.size(), rowBytes * static_cast<std::size_t>(rect_.height()), [&](std::size_t i) {
        const Chunk& chunk = chunks_[i];
        std::vector<Argb> raw(static_cast<std::size_t>(width) * static_cast<std::size_t>(chunk.rows));
        const std::size_t rawBytes = raw.size() * sizeof(Argb);
        const std::size_t got = ZSTD_decompress(raw.data(), rawBytes, chunk.data.data(), chunk.data.size());
        if (ZSTD_isError(got)) packingFailed(got);
        if (got != rawBytes) throw Error("The step for Undo is damaged");
        for (int r = 0; r < chunk.rows; ++r) {
            Argb* to = picture.row(rect_.top + chunk.firstRow + r) + rect_.left;
            const Argb* line = raw.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
            switch (how) {
            case Apply::Copy: std::memcpy(to, line, rowBytes); break;
            case Apply::Add:
                for (int x = 0; x < width; ++x) to[x] = addBytes(to[x], line[x]);
                break;
            case Apply::Subtract:
                for (int x = 0; x < width; ++x) to[x] = subtractBytes(to[x], line[x]);
                break;
            }
        }
    });
}

std::size_t PackedRows::bytes() const {
    std::size_t total = sizeof(PackedRows) + chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : chunks_) total += chunk.data.capacity();
    return total;
}

}  // namespace mugwarp
