#include <array>
#include <memory>

#include "formats/gif_lzw.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kSlots = 17777;
constexpr int kMaxNodes = 4096;
constexpr int kLastCodeBeforeClear = 4093;

// Packs codes least-significant bit first into data sub-blocks of 255 bytes.
class CodeWriter {
public:
    explicit CodeWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void put(int code, int width) {
        bits_ |= std::uint64_t(code) << bitCount_;
        bitCount_ += width;
        while (bitCount_ >= 8) {
            block_[blockLength_++] = std::uint8_t(bits_);
            bits_ >>= 8;
            bitCount_ -= 8;
            if (blockLength_ == 255) writeBlock();
        }
    }
    void flush() {
        if (bitCount_ > 0) block_[blockLength_++] = std::uint8_t(bits_);
        bits_ = 0;
        bitCount_ = 0;
        if (blockLength_ > 0) writeBlock();
        out_.push_back(0);
    }

private:
    void writeBlock() {
        out_.push_back(std::uint8_t(blockLength_));
        out_.insert(out_.end(), block_.begin(), block_.begin() + blockLength_);
        blockLength_ = 0;
    }

    std::vector<std::uint8_t>& out_;
    std::array<std::uint8_t, 255> block_{};
    int blockLength_ = 0;
    std::uint64_t bits_ = 0;
    int bitCount_ = 0;
};

struct Node {
    std::uint16_t prefix;
    std::uint16_t code;
    std::uint8_t suffix;
};

// The string table: a hash index of 17777 slots over a fixed pool of nodes,
// so that adding and finding a string costs the same whatever the picture.
class Encoder {
public:
    Encoder(int minCodeSize, std::vector<std::uint8_t>& out)
        : minCodeSize_(minCodeSize), clearCode_(1 << minCodeSize), endCode_(clearCode_ + 1), writer_(out) {
        reset();
        writer_.put(clearCode_, codeWidth_);
    }

    void add(int pixel) {
        ++stringLength_;
        if (stringLength_ == 1) {
            current_ = pixel;
            hash_ = std::uint32_t(pixel) * 301 + 903;
            return;
        }
        hash_ = ((std::uint32_t(pixel) + stringLength_ + 4) * hash_) % kSlots;
        std::uint32_t slot = hash_;
        for (;;) {
            const int n = slots_[slot];
            if (n < 0) break;
            const Node& node = nodes_[std::size_t(n)];
            if (node.prefix == current_ && node.suffix == pixel) {
                current_ = node.code;
                return;
            }
            if (++slot == kSlots) slot = 0;
        }
        writer_.put(current_, codeWidth_);
        ++lastAssigned_;
        nodes_[std::size_t(nodeCount_)] = Node{std::uint16_t(current_), std::uint16_t(lastAssigned_), std::uint8_t(pixel)};
        slots_[slot] = std::int16_t(nodeCount_++);
        current_ = pixel;
        hash_ = std::uint32_t(pixel) * 301 + 903;
        stringLength_ = 1;
        if (lastAssigned_ >= limit_) {
            limit_ <<= 1;
            ++codeWidth_;
        } else if (lastAssigned_ > kLastCodeBeforeClear) {
            writer_.put(current_, codeWidth_);
            writer_.put(clearCode_, codeWidth_);
            reset();
        }
    }

    void finish() {
        writer_.put(current_, codeWidth_);
        writer_.put(endCode_, codeWidth_);
        writer_.flush();
    }

private:
    void reset() {
        stringLength_ = 0;
        lastAssigned_ = endCode_;
        codeWidth_ = minCodeSize_ + 1;
        limit_ = 1 << codeWidth_;
        nodeCount_ = 0;
        slots_.fill(-1);
    }

    const int minCodeSize_;
    const int clearCode_;
    const int endCode_;
    CodeWriter writer_;
    int current_ = 0;
    std::uint32_t stringLength_ = 0;
    std::uint32_t hash_ = 0;
    int lastAssigned_ = 0;
    int codeWidth_ = 0;
    int limit_ = 0;
    int nodeCount_ = 0;
    std::array<std::int16_t, kSlots> slots_;
    std::array<Node, kMaxNodes> nodes_;
};

template <int Depth>
void encodeRow(Encoder& encoder, const std::uint8_t* row, int width) {
    if constexpr (Depth == 8) {
        for (int x = 0; x < width; ++x) encoder.add(row[x]);
    } else if constexpr (Depth == 4) {
        for (int x = 0; x < width; ++x) encoder.add((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    } else {
        for (int x = 0; x < width; ++x) encoder.add((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
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
    std::vector<std::uint8_t> out;
    out.reserve(bitmap.byteSize() / 2 + 64);
    out.push_back(std::uint8_t(minCodeSize));
    auto encoder = std::make_unique<Encoder>(minCodeSize, out);
    const int width = bitmap.width();
    for (int y : rowOrder(bitmap.height(), interlaced)) {
        const std::uint8_t* row = bitmap.scanLine(y);
        if (depth == 8) encodeRow<8>(*encoder, row, width);
        else if (depth == 4) encodeRow<4>(*encoder, row, width);
        else encodeRow<1>(*encoder, row, width);
    }
    encoder->finish();
    return out;
}

}  // namespace mugwarp
