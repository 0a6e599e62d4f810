#include "test_files.h"

#include <fstream>
#include <random>

namespace mugwarp::testing {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Packs codes of a fixed width into bytes, least significant bit first.
class BitWriter {
public:
    void put(unsigned code, int width) {
        for (int i = 0; i < width; ++i) {
            if (bit_ == 0) bytes_.push_back(0);
            if (code & (1u << i)) bytes_.back() |= std::uint8_t(1u << bit_);
            bit_ = (bit_ + 1) % 8;
        }
    }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    int bit_ = 0;
};

}  // namespace

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeBmp24(const std::string& path, int width, int height, const std::vector<Argb>& pixels) {
    const std::uint32_t stride = (std::uint32_t(width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * std::uint32_t(height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageSize);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, imageSize);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < width; ++x) {
            const Argb c = pixels[std::size_t(y) * width + x];
            out.push_back(blueOf(c));
            out.push_back(greenOf(c));
            out.push_back(redOf(c));
            written += 3;
        }
        for (; written < stride; ++written) out.push_back(0);
    }
    writeBytes(path, out);
}

void writeGif(const std::string& path, int width, int height, const std::vector<Argb>& palette,
              const std::vector<std::uint8_t>& indices, std::optional<int> transparentIndex) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    put16(out, unsigned(width));
    put16(out, unsigned(height));
    out.push_back(0x80 | 0x01);  // global table of 4 entries
    out.push_back(0);
    out.push_back(0);
    for (int i = 0; i < 4; ++i) {
        const Argb c = i < int(palette.size()) ? palette[i] : 0;
        out.push_back(redOf(c));
        out.push_back(greenOf(c));
        out.push_back(blueOf(c));
    }
    if (transparentIndex) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0x01, 0, 0, std::uint8_t(*transparentIndex), 0});
    }
    out.push_back(0x2C);
    put16(out, 0);
    put16(out, 0);
    put16(out, unsigned(width));
    put16(out, unsigned(height));
    out.push_back(0);
    // Minimum code size 2; a clear code before every pair of literals keeps
    // every code 3 bits wide.
    out.push_back(2);
    BitWriter bits;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0) bits.put(4, 3);
        bits.put(indices[i], 3);
    }
    bits.put(5, 3);
    const auto& data = bits.bytes();
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - at);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    writeBytes(path, out);
}

}  // namespace mugwarp::testing
