#include "document/packed_rows.h"

#include <zstd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "document/parallel_chunks.h"
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

constexpr std::uint32_t kHigh = 0x80808080u;

// Four wrapping byte additions and subtractions at once.
inline std::uint32_t addBytes(std::uint32_t a, std::uint32_t b) { return ((a & ~kHigh) + (b & ~kHigh)) ^ ((a ^ b) & kHigh); }
inline std::uint32_t subtractBytes(std::uint32_t a, std::uint32_t b) {
    return ((a | kHigh) - (b & ~kHigh)) ^ ((a ^ ~b) & kHigh);
}

[[noreturn]] void packingFailed(std::size_t code) {
    throw Error(std::string("Cannot keep the step for Undo: ") + ZSTD_getErrorName(code));
}

// A width x height block at (left, top) must lie wholly inside picture.
void requireFit(const PixelSurface& picture, int left, int top, int width, int height) {
    if (left < 0 || top < 0 || left > picture.width() - width || top > picture.height() - height)
        throw Error("The step for Undo does not fit the picture");
}

// Chunks of whole rows of about kChunkBytes each.
int rowsPerChunk(int width) {
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(width, 1)) * sizeof(Argb);
    return static_cast<int>(std::max<std::size_t>(1, kChunkBytes / rowBytes));
}

}  // namespace

void applyRows(PixelSurface& picture, int left, int top, const Argb* rows, int width, int height, RowApply how) {
    if (width <= 0 || height <= 0) return;
    requireFit(picture, left, top, width, height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(Argb);
    for (int r = 0; r < height; ++r) {
        Argb* to = picture.row(top + r) + left;
        const Argb* from = rows + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        switch (how) {
        case RowApply::Copy: std::memcpy(to, from, rowBytes); break;
        case RowApply::Add:
            for (int x = 0; x < width; ++x) to[x] = addBytes(to[x], from[x]);
            break;
        case RowApply::Subtract:
            for (int x = 0; x < width; ++x) to[x] = subtractBytes(to[x], from[x]);
            break;
        }
    }
}

PixelSurface byteDifference(const PixelSurface& before, const PixelSurface& after, const Rect& rect) {
    const Rect r = rect.intersected(before.bounds()).intersected(after.bounds());
    PixelSurface out(std::max(r.width(), 0), std::max(r.height(), 0));
    if (r.isEmpty()) return out;
    const int band = rowsPerChunk(r.width());
    const std::size_t bands = static_cast<std::size_t>((r.height() + band - 1) / band);
    forEachChunk(bands, static_cast<std::size_t>(r.width()) * static_cast<std::size_t>(r.height()) * sizeof(Argb),
                 [&](std::size_t i) {
                     const int first = static_cast<int>(i) * band;
                     const int last = std::min(first + band, r.height());
                     for (int y = first; y < last; ++y) {
                         const Argb* a = after.row(r.top + y) + r.left;
                         const Argb* b = before.row(r.top + y) + r.left;
                         Argb* d = out.row(y);
                         for (int x = 0; x < r.width(); ++x) d[x] = subtractBytes(a[x], b[x]);
                     }
                 });
    return out;
}

PackedRows PackedRows::pack(const PixelSurface& picture, const Rect& rect, Content content,
                            const std::atomic<bool>* stop) {
    PackedRows out;
    const Rect r = rect.intersected(picture.bounds());
    if (r.isEmpty()) return out;
    out.content_ = content;
    out.width_ = r.width();
    out.height_ = r.height();
    const std::size_t rowBytes = static_cast<std::size_t>(out.width_) * sizeof(Argb);
    const int band = rowsPerChunk(out.width_);
    for (int first = 0; first < out.height_; first += band)
        out.chunks_.push_back({first, std::min(band, out.height_ - first), {}});

    forEachChunk(out.chunks_.size(), rowBytes * static_cast<std::size_t>(out.height_), [&](std::size_t i) {
        Chunk& chunk = out.chunks_[i];
        if (stop && stop->load(std::memory_order_relaxed)) return;
        // Whole rows of a full-width rectangle lie one after another already.
        std::vector<Argb> gathered;
        const Argb* raw = picture.row(r.top + chunk.firstRow) + r.left;
        if (r.width() != picture.width() || content == Content::Pixels) {
            gathered.resize(static_cast<std::size_t>(out.width_) * static_cast<std::size_t>(chunk.rows));
            for (int k = 0; k < chunk.rows; ++k) {
                const Argb* from = picture.row(r.top + chunk.firstRow + k) + r.left;
                Argb* to = gathered.data() + static_cast<std::size_t>(k) * static_cast<std::size_t>(out.width_);
                if (content == Content::Differences) {
                    std::memcpy(to, from, rowBytes);
                    continue;
                }
                to[0] = from[0];
                for (int x = 1; x < out.width_; ++x) to[x] = subtractBytes(from[x], from[x - 1]);
            }
            raw = gathered.data();
        }
        const std::size_t rawBytes = rowBytes * static_cast<std::size_t>(chunk.rows);
        chunk.data.resize(ZSTD_compressBound(rawBytes));
        const std::size_t packed = ZSTD_compress(chunk.data.data(), chunk.data.size(), raw, rawBytes, kLevel);
        if (ZSTD_isError(packed)) packingFailed(packed);
        chunk.data.resize(packed);
        chunk.data.shrink_to_fit();
    });
    if (stop && stop->load()) return {};
    return out;
}

void PackedRows::unpack(PixelSurface& picture, int left, int top, RowApply how) const {
    if (chunks_.empty()) return;
    // Checked before any chunk is written, so a misfit writes nothing.
    requireFit(picture, left, top, width_, height_);
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * sizeof(Argb);
    forEachChunk(chunks_.size(), rowBytes * static_cast<std::size_t>(height_), [&](std::size_t i) {
        const Chunk& chunk = chunks_[i];
        std::vector<Argb> raw(static_cast<std::size_t>(width_) * static_cast<std::size_t>(chunk.rows));
        const std::size_t rawBytes = raw.size() * sizeof(Argb);
        const std::size_t got = ZSTD_decompress(raw.data(), rawBytes, chunk.data.data(), chunk.data.size());
        if (ZSTD_isError(got)) packingFailed(got);
        if (got != rawBytes) throw Error("The step for Undo is damaged");
        if (content_ == Content::Pixels) {
            for (int k = 0; k < chunk.rows; ++k) {
                Argb* line = raw.data() + static_cast<std::size_t>(k) * static_cast<std::size_t>(width_);
                for (int x = 1; x < width_; ++x) line[x] = addBytes(line[x], line[x - 1]);
            }
        }
        applyRows(picture, left, top + chunk.firstRow, raw.data(), width_, chunk.rows, how);
    });
}

std::size_t PackedRows::bytes() const {
    std::size_t total = chunks_.capacity() * sizeof(Chunk);
    for (const Chunk& chunk : chunks_) total += chunk.data.capacity();
    return total;
}

}  // namespace mugwarp
