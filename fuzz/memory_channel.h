#pragma once
// A channel whose other side is a fixed stream of bytes: what a runner (or
// the editor) sent, read in order; whatever we write is dropped.
#include <cstring>
#include <span>

#include "filterproc/byte_channel.h"

class MemoryChannel : public mugwarp::filterproc::ByteChannel {
public:
    explicit MemoryChannel(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    void readExact(void* data, std::size_t size) override {
        if (size > bytes_.size()) throw mugwarp::filterproc::ChannelClosed();
        std::memcpy(data, bytes_.data(), size);
        bytes_ = bytes_.subspan(size);
    }
    void writeAll(const void*, std::size_t) override {}

private:
    std::span<const std::uint8_t> bytes_;
};
