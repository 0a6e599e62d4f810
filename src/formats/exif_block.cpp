#include "formats/exif_block.h"

#include <algorithm>
#include <cstring>

namespace mugwarp {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::size_t kEntrySize = 12;

// Reads the numbers of a TIFF stream in the byte order its header names;
// every read is bounds-checked, so a hostile block reads as "absent".
class TiffView {
public:
    explicit TiffView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        if (bytes.size() < 8) return;
        if (bytes[0] == 'I' && bytes[1] == 'I' && bytes[2] == 42 && bytes[3] == 0) little_ = true;
        else if (bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0 && bytes[3] == 42) little_ = false;
        else return;
        valid_ = true;
    }
    bool valid() const { return valid_; }
    bool has(std::size_t at, std::size_t n) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
    std::uint16_t u16(std::size_t at) const {
        if (!has(at, 2)) return 0;
        return little_ ? std::uint16_t(bytes_[at] | bytes_[at + 1] << 8) : std::uint16_t(bytes_[at] << 8 | bytes_[at + 1]);
    }
    std::uint32_t u32(std::size_t at) const {
        if (!has(at, 4)) return 0;
        const std::uint32_t a = bytes_[at], b = bytes_[at + 1], c = bytes_[at + 2], d = bytes_[at + 3];
        return little_ ? (a | b << 8 | c << 16 | d << 24) : (a << 24 | b << 16 | c << 8 | d);
    }
    void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) const {
        for (int i = 0; i < 4; ++i) out[at + i] = std::uint8_t(little_ ? v >> (8 * i) : v >> (8 * (3 - i)));
    }
    void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) const {
        out[at] = std::uint8_t(little_ ? v : v >> 8);
        out[at + 1] = std::uint8_t(little_ ? v >> 8 : v);
    }
    // The first image directory: its offset, or 0 when it lies outside.
    std::size_t firstDirectory() const {
        const std::size_t at = u32(4);
        if (at < 8 || !has(at, 2) || !has(at + 2, u16(at) * kEntrySize + 4)) return 0;
        return at;
    }
    // A SHORT value stored in the entry itself.
    std::size_t findEntry(std::size_t dir, std::uint16_t tag) const {
        const std::size_t count = u16(dir);
        for (std::size_t i = 0; i < count; ++i)
            if (u16(dir + 2 + i * kEntrySize) == tag) return dir + 2 + i * kEntrySize;
        return 0;
    }
    // A LONG or SHORT value held in the entry.
    std::uint32_t entryValue(std::size_t entry) const {
        return u16(entry + 2) == 3 ? u16(entry + 8) : u32(entry + 8);
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool little_ = true;
    bool valid_ = false;
};

}  // namespace

std::span<const std::uint8_t> exifTiffStream(std::span<const std::uint8_t> block) {
    static constexpr std::uint8_t kPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (block.size() >= 6 && std::equal(kPrefix, kPrefix + 6, block.begin())) block = block.subspan(6);
    return TiffView(block).valid() ? block : std::span<const std::uint8_t>{};
}

int exifOrientation(std::span<const std::uint8_t> tiff) {
    const TiffView view(tiff);
    if (!view.valid()) return 0;
    const std::size_t dir = view.firstDirectory();
    if (dir == 0) return 0;
    const std::size_t entry = view.findEntry(dir, kOrientationTag);
    if (entry == 0) return 0;
    const std::uint32_t value = view.entryValue(entry);
    return value >= 1 && value <= 8 ? int(value) : 0;
}

std::vector<std::uint8_t> exifForSaving(std::span<const std::uint8_t> tiff) {
    const TiffView view(tiff);
    if (!view.valid()) return {};
    const std::size_t dir = view.firstDirectory();
    if (dir == 0) return {};
    std::vector<std::uint8_t> out(tiff.begin(), tiff.end());
    std::size_t count = view.u16(dir);
    const std::size_t nextAt = dir + 2 + count * kEntrySize;

    // The thumbnail: its directory and the JPEG it points at are cleared, so
    // no stale picture of the original survives in the bytes.
    const std::size_t thumbDir = view.u32(nextAt);
    std::size_t keep = out.size();
    if (thumbDir >= 8 && view.has(thumbDir, 2) && view.has(thumbDir + 2, view.u16(thumbDir) * kEntrySize + 4)) {
        const std::size_t offsetEntry = view.findEntry(thumbDir, kThumbnailOffsetTag);
        const std::size_t lengthEntry = view.findEntry(thumbDir, kThumbnailLengthTag);
        if (offsetEntry != 0 && lengthEntry != 0) {
            const std::size_t at = view.entryValue(offsetEntry);
            const std::size_t n = view.entryValue(lengthEntry);
            if (view.has(at, n) && at > nextAt) {
                std::fill_n(out.begin() + std::ptrdiff_t(at), n, std::uint8_t{0});
                // Usually the last thing in the block: then it is cut off.
                if (at + n == out.size()) keep = at;
            }
        }
        std::fill_n(out.begin() + std::ptrdiff_t(thumbDir), view.u16(thumbDir) * kEntrySize + 6, std::uint8_t{0});
    }

    // Every orientation entry goes (a damaged block may hold more than one);
    // the ones after it move up and the link to the (now absent) next
    // directory follows them.
    for (;;) {
        const TiffView now(out);
        count = now.u16(dir);
        const std::size_t orientation = now.findEntry(dir, kOrientationTag);
        if (orientation == 0) break;
        const std::size_t end = dir + 2 + count * kEntrySize;
        std::memmove(out.data() + orientation, out.data() + orientation + kEntrySize, end - orientation - kEntrySize);
        --count;
        now.put16(out, dir, std::uint16_t(count));
        std::fill_n(out.begin() + std::ptrdiff_t(dir + 2 + count * kEntrySize), kEntrySize, std::uint8_t{0});
    }
    view.put32(out, dir + 2 + count * kEntrySize, 0);
    out.resize(keep);
    return out;
}

}  // namespace mugwarp
