#include <array>
#include <cstring>

#include "formats/gif_lzw.h"

namespace mugwarp {
namespace {

constexpr int kMaxCodes = 4096;
constexpr int kStackSize = 4097;

// Codes are packed least-significant bit first across the data sub-blocks;
// with the sub-blocks joined the code at any bit position is one 32-bit load.
class CodeReader {
public:
    explicit CodeReader(std::span<const std::uint8_t> raster) {
        bytes_.reserve(raster.size() + 4);
        std::size_t pos = 1;
        while (pos < raster.size()) {
            std::size_t n = raster[pos++];
            if (n == 0) break;
            if (n > raster.size() - pos) n = raster.size() - pos;
            bytes_.insert(bytes_.end(), raster.begin() + std::ptrdiff_t(pos), raster.begin() + std::ptrdiff_t(pos + n));
            pos += n;
        }
        totalBits_ = bytes_.size() * 8;
        bytes_.resize(bytes_.size() + 4, 0);
    }
    // -1 once the data hold fewer bits than a whole code.
    int next(int width) {
        if (bitPos_ + std::size_t(width) > totalBits_) return -1;
        std::uint32_t word;
        std::memcpy(&word, bytes_.data() + (bitPos_ >> 3), 4);
        const int code = int((word >> (bitPos_ & 7)) & ((1u << width) - 1));
        bitPos_ += std::size_t(width);
        return code;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t totalBits_ = 0;
    std::size_t bitPos_ = 0;
};

// Walks the picture rows in file order (straight or interlaced) and packs
// pixels into them at the bitmap's depth.
template <int Depth>
class RowWriter {
public:
    RowWriter(PlatformBitmap& bitmap, bool interlaced)
        : bitmap_(bitmap), width_(bitmap.width()), height_(bitmap.height()), interlaced_(interlaced) {
        done_ = width_ <= 0 || height_ <= 0;
        if (!done_) line_ = bitmap_.scanLine(0);
    }
    bool done() const { return done_; }

    // Emits count pixels taken from the top of a stack (stack[count - 1] first).
    void emitReversed(const std::uint8_t* stack, int count) {
        while (count > 0 && !done_) {
            put(stack[--count]);
        }
    }
    void emit(std::uint8_t v) {
        if (!done_) put(v);
    }

private:
    void put(std::uint8_t v) {
        if constexpr (Depth == 8) {
            line_[x_] = v;
        } else if constexpr (Depth == 4) {
            line_[x_ >> 1] |= std::uint8_t((x_ & 1) ? (v & 0x0F) : (v << 4));
        } else {
            line_[x_ >> 3] |= std::uint8_t((v & 1) << (7 - (x_ & 7)));
        }
        if (++x_ == width_) nextRow();
    }

    void nextRow() {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        x_ = 0;
        if (!interlaced_) {
            ++row_;
        } else {
            row_ += kStep[pass_];
            while (row_ >= height_ && pass_ < 3) {
                ++pass_;
                row_ = kStart[pass_];
            }
        }
        if (row_ >= height_) {
            done_ = true;
            return;
        }
        line_ = bitmap_.scanLine(row_);
    }

    PlatformBitmap& bitmap_;
    const int width_;
    const int height_;
    const bool interlaced_;
    std::uint8_t* line_ = nullptr;
    int x_ = 0;
    int row_ = 0;
    int pass_ = 0;
    bool done_ = false;
};

// A code size outside 2 to 9 leaves the table's layout unknown: only the
// literal after each clear code can be trusted, so decoding writes those and
// stops at the first other code. Always damaged.
template <int Depth>
bool decodeClearedPixelsOnly(CodeReader& reader, RowWriter<Depth>& out, int minSize, int pixelMask) {
    const int clearCode = 1 << minSize;
    const int endCode = clearCode + 1;
    const int width = minSize + 1;
    int code = reader.next(width);
    while (code == clearCode && !out.done()) {
        code = reader.next(width);
        if (code == clearCode) continue;
        if (code < 0 || code == endCode) break;
        out.emit(std::uint8_t(code & pixelMask));
        code = reader.next(width);
    }
    return false;
}

template <int Depth>
bool decode(std::span<const std::uint8_t> raster, PlatformBitmap& bitmap, int bitsPerPixel, bool interlaced) {
    CodeReader reader(raster);
    RowWriter<Depth> out(bitmap, interlaced);
    const int pixelMask = (1 << bitsPerPixel) - 1;
    const int minSize = raster[0];
    if (minSize < 2) return decodeClearedPixelsOnly(reader, out, 2, pixelMask);
    if (minSize > 9) return decodeClearedPixelsOnly(reader, out, 9, pixelMask);

    // Literals are the codes below the clear code, whatever the colour
    // table's size; the pixel mask only limits the index written.
    const int clearCode = 1 << minSize;
    const int endCode = clearCode + 1;
    const int firstFree = clearCode + 2;
    int codeWidth = minSize + 1;
    int limit = 1 << codeWidth;
    int nextFree = firstFree;
    bool tableFull = false;

    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint16_t, kMaxCodes> suffix{};
    std::array<std::uint8_t, kStackSize> stack;

    // The first code of the data and the first after each clear code stand
    // alone: there is no string before them to extend into a table entry.
    constexpr int kNoPrevious = -1;
    int previous = kNoPrevious;
    int first = 0;
    int code = reader.next(codeWidth);
    while (code != endCode && !out.done()) {
        if (code < 0) return false;  // the data end before the picture does
        if (code == clearCode) {
            codeWidth = minSize + 1;
            limit = 1 << codeWidth;
            nextFree = firstFree;
            tableFull = false;
            previous = kNoPrevious;
        } else if (previous == kNoPrevious) {
            if (code > clearCode) return false;  // a table code while the table is empty
            first = code & pixelMask;
            out.emit(std::uint8_t(first));
            previous = code;
        } else {
            const int incoming = code;
            int sp = 0;
            int current = code;
            if (code >= nextFree) {
                stack[sp++] = std::uint8_t(first);
                current = previous;
            }
            while (current >= clearCode) {
                if (sp >= kStackSize - 1) return false;  // a chain longer than any valid one
                stack[sp++] = std::uint8_t(suffix[current]);
                current = prefix[current];
            }
            first = current & pixelMask;
            stack[sp++] = std::uint8_t(first);
            out.emitReversed(stack.data(), sp);
            if (!tableFull) {
                prefix[nextFree] = std::uint16_t(previous);
                suffix[nextFree] = std::uint16_t(first);
                if (++nextFree == limit) {
                    if (codeWidth < 12) {
                        ++codeWidth;
                        limit <<= 1;
                    } else {
                        tableFull = true;
                    }
                }
            }
            previous = incoming;
        }
        code = reader.next(codeWidth);
    }
    return true;
}

}  // namespace

bool decodeLzw(std::span<const std::uint8_t> raster, PlatformBitmap& bitmap, int bitsPerPixel, bool interlaced) {
    if (raster.empty()) return false;
    switch (bitmap.bitsPerPixel()) {
        case 1: return decode<1>(raster, bitmap, bitsPerPixel, interlaced);
        case 4: return decode<4>(raster, bitmap, bitsPerPixel, interlaced);
        default: return decode<8>(raster, bitmap, bitsPerPixel, interlaced);
    }
}

}  // namespace mugwarp
