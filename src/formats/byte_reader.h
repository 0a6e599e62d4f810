#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "raster/error.h"

namespace mugwarp {

// Little-endian reading over a byte buffer that never goes past its end:
// strict reads throw the platform's "Stream read error", lenient ones yield
// zero for the missing bytes (as some header readers want).
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    void seek(std::size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }
    void skip(std::size_t n) { pos_ += n < remaining() ? n : remaining(); }
    const std::uint8_t* current() const { return data_.data() + pos_; }

    std::uint8_t u8() {
        need(1);
        return data_[pos_++];
    }
    std::uint16_t u16() {
        need(2);
        const std::uint16_t v = std::uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        need(4);
        const std::uint32_t v = std::uint32_t(data_[pos_]) | (std::uint32_t(data_[pos_ + 1]) << 8) |
                                (std::uint32_t(data_[pos_ + 2]) << 16) | (std::uint32_t(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    // Copies n bytes; throws when fewer remain.
    void read(std::uint8_t* out, std::size_t n) {
        need(n);
        for (std::size_t i = 0; i < n; ++i) out[i] = data_[pos_ + i];
        pos_ += n;
    }
    // Copies what there is of n bytes and zero-fills the rest.
    void readLenient(std::uint8_t* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) out[i] = pos_ < data_.size() ? data_[pos_++] : 0;
    }
    std::uint8_t u8Lenient() { return pos_ < data_.size() ? data_[pos_++] : 0; }

private:
    void need(std::size_t n) const {
        if (n > remaining()) throw Error("Stream read error");
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}  // namespace mugwarp
