#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "formats/gif_lzw.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kMaxCodeWidth = 12;
constexpr int kLastCodeBeforeClear = 4093;

// Takes codes packed least-significant bit first, 32 bits at a time, straight into
// the raster with its data sub-blocks of 255 bytes. The raster's memory is
// reserved for the worst case up front and taken into use as it fills, so
// that its pages are touched once and nothing is copied.
class CodeWriter {
public:
    CodeWriter(std::size_t maxCodes, int minCodeSize) {
        const std::size_t maxData = maxCodes * kMaxCodeWidth / 8 + 8;
        out_.reserve(1 + maxData + maxData / 255 + 1 + kGrowth);
        out_.resize(kGrowth);
        out_[0] = std::uint8_t(minCodeSize);
    }

    // The last bitCount bits of bits, then the code size byte, the
    // sub-blocks and the terminator.
    std::vector<std::uint8_t> finish(std::uint64_t bits, int bitCount) {
        for (; bitCount > 0; bits >>= 8, bitCount -= 8) putByte(std::uint8_t(bits));
        if (length_ == blockStart_ + 1) {
            length_ = blockStart_;  // no data after the last length byte
        } else {
            out_[blockStart_] = std::uint8_t(length_ - blockStart_ - 1);
        }
        out_[length_++] = 0;
        out_.resize(length_);
        return std::move(out_);
    }

    void putWord(std::uint32_t word) {
        if (length_ + 4 <= blockStart_ + 256) {
            if (length_ + 4 > out_.size()) out_.resize(std::min(out_.capacity(), out_.size() + kGrowth));
            std::memcpy(out_.data() + length_, &word, 4);  // least significant byte first: little-endian machines only
            length_ += 4;
            return;
        }
        for (int i = 0; i < 4; ++i, word >>= 8) putByte(std::uint8_t(word));
    }

private:
    static constexpr std::size_t kGrowth = 1 << 16;

    void putByte(std::uint8_t byte) {
        if (length_ + 2 > out_.size()) out_.resize(std::min(out_.capacity(), out_.size() + kGrowth));
        if (length_ == blockStart_ + 256) {
            out_[blockStart_] = 255;
            blockStart_ = length_++;
        }
        out_[length_++] = byte;
    }

    std::vector<std::uint8_t> out_;
    std::size_t blockStart_ = 1;  // where the current sub-block's length byte goes
    std::size_t length_ = 2;
};

// The string table: open addressing over 32768 slots, each holding a
// string's prefix code and suffix pixel in its upper 20 bits and the string's
// code in its lower 12. At most 3837 strings live at once, so the table is
// never more than an eighth full and a lookup seldom probes twice; only the
// slots in use are emptied when the codes run out.
class StringTable {
public:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // prefix 4095 is never assigned

    StringTable() { slots_.fill(kEmpty); }

    static std::uint32_t keyOf(std::uint32_t prefix, std::uint32_t suffix) { return (prefix << 8) | suffix; }

    // The code of the string, or the empty slot where it would go (negative
    // result: -1 - slot).
    // The suffix is scattered by a multiplication that does not wait for the
    // previous lookup; the prefix, which does, is only added.
    int find(std::uint32_t key) const {
        std::uint32_t slot = ((key >> 8) + (((key & 0xFF) * 0x9E3779B1u) >> (32 - kSlotBits))) & (kSlotCount - 1);
        for (;;) {
            const std::uint32_t entry = slots_[slot];
            if ((entry >> 12) == key) return int(entry & 0xFFF);
            if (entry == kEmpty) return -1 - int(slot);
            slot = (slot + 1) & (kSlotCount - 1);
        }
    }

    void add(int emptySlot, std::uint32_t key, int code) {
        slots_[std::size_t(emptySlot)] = (key << 12) | std::uint32_t(code);
        used_[usedCount_++] = std::uint16_t(emptySlot);
    }

    void clear() {
        for (int i = 0; i < usedCount_; ++i) slots_[used_[std::size_t(i)]] = kEmpty;
        usedCount_ = 0;
    }

private:
    static constexpr int kSlotBits = 15;
    static constexpr std::uint32_t kSlotCount = 1u << kSlotBits;
    std::array<std::uint32_t, kSlotCount> slots_;
    std::array<std::uint16_t, 4096> used_;
    int usedCount_ = 0;
};

// The coder's state lives in locals while a row is coded, so that it stays
// in registers rather than being reloaded after every byte the writer stores.
class Encoder {
public:
    Encoder(int minCodeSize, std::size_t pixelCount)
        : minCodeSize_(minCodeSize),
          clearCode_(1u << minCodeSize),
          // One code per pixel at most, two more per restart, three around them.
          writer_(pixelCount + 2 * (pixelCount / (kLastCodeBeforeClear - 257) + 1) + 3, minCodeSize) {
        restart(state_);
        put(state_, clearCode_);
    }

    // Pixels of one row, indices below 256. The string goes on across rows.
    void addRow(const std::uint8_t* pixels, const std::uint8_t* end) {
        State s = state_;
        if (fresh_) {
            if (pixels == end) return;
            s.current = *pixels++;
            fresh_ = false;
        }
        while (pixels < end) {
            const std::uint32_t pixel = *pixels++;
            const std::uint32_t key = StringTable::keyOf(s.current, pixel);
            const int found = table_.find(key);
            if (found >= 0) {
                s.current = std::uint32_t(found);
                continue;
            }
            put(s, s.current);
            table_.add(-1 - found, key, int(++s.lastAssigned));
            s.current = pixel;
            if (s.lastAssigned >= s.limit) {
                s.limit <<= 1;
                ++s.codeWidth;
            } else if (s.lastAssigned > kLastCodeBeforeClear) {
                put(s, s.current);
                put(s, clearCode_);
                restart(s);
                if (pixels == end) {
                    fresh_ = true;
                    break;
                }
                s.current = *pixels++;
            }
        }
        state_ = s;
    }

    std::vector<std::uint8_t> finish() {
        put(state_, state_.current);
        put(state_, clearCode_ + 1);  // the end code
        return writer_.finish(state_.bits, state_.bitCount);
    }

private:
    struct State {
        std::uint32_t current = 0;
        std::uint32_t lastAssigned = 0;
        std::uint32_t limit = 0;
        int codeWidth = 0;
        std::uint64_t bits = 0;  // codes not yet handed to the writer, bitCount of them
        int bitCount = 0;
    };

    void put(State& s, std::uint32_t code) {
        s.bits |= std::uint64_t(code) << s.bitCount;
        s.bitCount += s.codeWidth;
        if (s.bitCount >= 32) {
            writer_.putWord(std::uint32_t(s.bits));
            s.bits >>= 32;
            s.bitCount -= 32;
        }
    }

    void restart(State& s) {
        s.lastAssigned = clearCode_ + 1;
        s.codeWidth = minCodeSize_ + 1;
        s.limit = 1u << s.codeWidth;
        table_.clear();
    }

    const int minCodeSize_;
    const std::uint32_t clearCode_;
    CodeWriter writer_;
    StringTable table_;
    State state_;
    bool fresh_ = true;  // the next pixel starts a string of its own
};

// Row y's indices as one byte each; 8-bit rows are used in place.
const std::uint8_t* indicesOf(const PlatformBitmap& bitmap, int y, int depth, std::vector<std::uint8_t>& unpacked) {
    const std::uint8_t* row = bitmap.scanLine(y);
    if (depth == 8) return row;
    const int width = bitmap.width();
    if (depth == 4) {
        for (int x = 0; x < width; ++x) unpacked[std::size_t(x)] = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    } else {
        for (int x = 0; x < width; ++x) unpacked[std::size_t(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return unpacked.data();
}

std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    rows.reserve(std::size_t(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) rows.push_back(y);
        return rows;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
    return rows;
}

}  // namespace

std::vector<std::uint8_t> encodeLzw(const PlatformBitmap& bitmap, bool interlaced) {
    const int depth = bitmap.bitsPerPixel();
    if (depth != 1 && depth != 4 && depth != 8) throw Error("GIF image encoding error");
    const int minCodeSize = depth == 1 ? 2 : depth;
    const int width = bitmap.width();
    auto encoder = std::make_unique<Encoder>(minCodeSize, std::size_t(width) * std::size_t(bitmap.height()));
    std::vector<std::uint8_t> unpacked(depth == 8 ? 0 : std::size_t(width));
    for (int y : rowOrder(bitmap.height(), interlaced)) {
        const std::uint8_t* row = indicesOf(bitmap, y, depth, unpacked);
        encoder->addRow(row, row + width);
    }
    return encoder->finish();
}

}  // namespace mugwarp
