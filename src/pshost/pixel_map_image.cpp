#include "pshost/pixel_map_image.h"

#include <algorithm>
#include <array>

namespace mugwarp {

namespace {

using abi::PSPixelMap;
using abi::PSPixelMask;

// A filter's masks form a list; a longer (or circular) one is not believed.
constexpr int kMaxMasks = 8;

bool readableObject(const MemoryProbe& readable, const void* p, std::size_t bytes) {
    return p && readable(static_cast<const std::uint8_t*>(p), bytes);
}

// base + offset, or nothing when that leaves the address space.
const std::uint8_t* offsetAddress(const void* base, std::int64_t offset) {
    const auto b = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(base));
    std::int64_t a = 0;
    if (__builtin_add_overflow(b, offset, &a) || a <= 0 || static_cast<std::uint64_t>(a) > UINTPTR_MAX) return nullptr;
    return reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(a));
}

// One plane or mask of the rectangle: byte (x, y) lies at
// base + origin + y * rowBytes + x * colBytes.
class Channel {
public:
    Channel(const void* base, std::int64_t rowOffset, std::int64_t colOffset, std::int64_t rowBytes,
            std::int64_t colBytes, std::int64_t extra)
        : base_(base), rowBytes_(rowBytes), colBytes_(colBytes) {
        std::int64_t rows = 0, cols = 0;
        valid_ = base && !__builtin_mul_overflow(rowOffset, rowBytes, &rows) &&
                 !__builtin_mul_overflow(colOffset, colBytes, &cols) && !__builtin_add_overflow(rows, cols, &origin_) &&
                 !__builtin_add_overflow(origin_, extra, &origin_);
    }

    // Every row start for the rectangle, each row checked as a whole first.
    bool prepare(int width, int height, const MemoryProbe& readable) {
        if (!valid_) return false;
        rows_.resize(std::size_t(height));
        const std::int64_t span = std::int64_t(width - 1) * colBytes_;  // |span| < 2^62
        for (int y = 0; y < height; ++y) {
            std::int64_t first = 0;
            if (__builtin_add_overflow(origin_, std::int64_t(y) * rowBytes_, &first)) return false;
            const std::uint8_t* start = offsetAddress(base_, first);
            const std::uint8_t* end = offsetAddress(base_, first + span);
            if (!start || !end) return false;
            const std::uint8_t* low = std::min(start, end);
            if (!readable(low, std::size_t(std::max(start, end) - low) + 1)) return false;
            rows_[std::size_t(y)] = start;
        }
        return true;
    }
    const std::uint8_t* row(int y) const { return rows_[std::size_t(y)]; }
    std::int64_t step() const { return colBytes_; }

private:
    const void* base_;
    std::int64_t rowBytes_;
    std::int64_t colBytes_;
    std::int64_t origin_ = 0;
    bool valid_ = false;
    std::vector<const std::uint8_t*> rows_;
};

struct Mask {
    Channel channel;
    bool inverted;
};

int floorDiv(std::int64_t a, int b) { return int(a >= 0 ? a / b : -((-a + b - 1) / b)); }

std::uint8_t checker(int x, int y, std::int32_t phaseRow, std::int32_t phaseCol) {
    const int cell =
        floorDiv(std::int64_t(y) + phaseRow, kCheckerSize) + floorDiv(std::int64_t(x) + phaseCol, kCheckerSize);
    return (cell & 1) ? kCheckerDark : kCheckerLight;
}

int divide255(int n) { return (n + (n >= 0 ? 127 : -127)) / 255; }

}  // namespace

std::optional<PixelMapImage> readPixelMap(const PSPixelMap* map, const abi::VRect* rectIn, std::int32_t dstRow,
                                          std::int32_t dstCol, std::size_t maxPixels, const MemoryProbe& readable) {
    // Only the fields of the filter's version are there to read.
    if (!readableObject(readable, rectIn, sizeof(abi::VRect)) ||
        !readableObject(readable, map, offsetof(PSPixelMap, mat)))
        return std::nullopt;
    const std::int32_t version = map->version;
    const bool masked = version >= 1 && readableObject(readable, map, offsetof(PSPixelMap, pixelOverlays));
    if (version >= 3 && (!readableObject(readable, map, sizeof(PSPixelMap)) || (map->depth != 8 && map->depth != 0)))
        return std::nullopt;
    const int planes = map->imageMode == abi::kImageModeRGB ? 3 : map->imageMode == abi::kImageModeGrayScale ? 1 : 0;
    if (planes == 0) return std::nullopt;

    const abi::VRect& b = map->bounds;
    const abi::VRect& rect = *rectIn;
    const std::int32_t top = std::max(rect.top, b.top), left = std::max(rect.left, b.left);
    const std::int32_t bottom = std::min(rect.bottom, b.bottom), right = std::min(rect.right, b.right);
    if (bottom <= top || right <= left) return std::nullopt;
    const std::int64_t width64 = std::int64_t(right) - left, height64 = std::int64_t(bottom) - top;
    if (width64 > INT32_MAX || height64 > INT32_MAX || std::uint64_t(width64 * height64) > maxPixels)
        return std::nullopt;
    const int width = int(width64), height = int(height64);
    const std::int64_t rowOffset = std::int64_t(top) - b.top, colOffset = std::int64_t(left) - b.left;

    std::vector<Channel> channels;
    for (int p = 0; p < planes; ++p) {
        std::int64_t extra = 0;
        if (__builtin_mul_overflow(std::int64_t(p), std::int64_t(map->planeBytes), &extra)) return std::nullopt;
        channels.emplace_back(map->baseAddr, rowOffset, colOffset, map->rowBytes, map->colBytes, extra);
        if (!channels.back().prepare(width, height, readable)) return std::nullopt;
    }

    std::vector<Mask> masks;
    int matte = -1;  // the colour the pixels were premultiplied against, if any
    if (masked) {
        const PSPixelMask* next = map->masks;
        std::array<const PSPixelMask*, kMaxMasks + 1> chain{};
        std::size_t count = 0;
        if (map->mat) chain[count++] = map->mat;
        for (; next && count < chain.size(); next = next->next) {
            if (!readableObject(readable, next, sizeof(PSPixelMask))) return std::nullopt;
            chain[count++] = next;
        }
        if (next || count > std::size_t(kMaxMasks)) return std::nullopt;
        for (std::size_t i = 0; i < count; ++i) {
            const PSPixelMask* m = chain[i];
            if (!readableObject(readable, m, sizeof(PSPixelMask))) return std::nullopt;
            const std::int32_t kind = m->maskDescription;
            if (matte < 0 && kind >= abi::kMaskBlackMat && kind <= abi::kMaskWhiteMat)
                matte = kind == abi::kMaskBlackMat ? 0 : kind == abi::kMaskGrayMat ? 128 : 255;
            masks.push_back({Channel(m->maskData, rowOffset, colOffset, m->rowBytes, m->colBytes, 0),
                             kind == abi::kMaskInvert});
            if (!masks.back().channel.prepare(width, height, readable)) return std::nullopt;
        }
    }

    PixelMapImage image;
    image.width = width;
    image.height = height;
    image.top = dstRow + (top - rect.top);
    image.left = dstCol + (left - rect.left);
    image.pixels.resize(std::size_t(width) * height);
    const std::int32_t phaseRow = masked ? map->maskPhaseRow : 0, phaseCol = masked ? map->maskPhaseCol : 0;
    for (int y = 0; y < height; ++y) {
        std::uint32_t* out = image.pixels.data() + std::size_t(y) * width;
        const std::uint8_t* in[3];
        for (int p = 0; p < 3; ++p) in[p] = channels[std::size_t(std::min(p, planes - 1))].row(y);
        const std::int64_t step = channels[0].step();
        for (int x = 0; x < width; ++x) {
            const std::int64_t at = std::int64_t(x) * step;
            int c[3] = {in[0][at], in[1][at], in[2][at]};
            if (!masks.empty()) {
                int alpha = 255;
                for (const Mask& m : masks) {
                    const int v = m.channel.row(y)[std::int64_t(x) * m.channel.step()];
                    alpha = divide255(alpha * (m.inverted ? 255 - v : v));
                }
                const int k = checker(x, y, phaseRow, phaseCol);
                for (int& v : c) {
                    v = matte < 0 ? divide255(alpha * v + (255 - alpha) * k)
                                  : std::clamp(v + divide255((255 - alpha) * (k - matte)), 0, 255);
                }
            }
            out[x] = 0xFF000000u | std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | std::uint32_t(c[2]);
        }
    }
    return image;
}

}  // namespace mugwarp
