#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mugwarp::filterproc {

// One message between the editor and a filter runner: a type and a payload of
// little-endian fields. On the wire it is the type and the payload length as
// two 32-bit words, then the payload.
struct Message {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> payload;
};

// Appends fields to a payload.
class MessageBuilder {
public:
    explicit MessageBuilder(std::uint32_t type) { message_.type = type; }

    MessageBuilder& u8(std::uint8_t v);
    MessageBuilder& u16(std::uint16_t v);
    MessageBuilder& u32(std::uint32_t v);
    MessageBuilder& u64(std::uint64_t v);
    MessageBuilder& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    MessageBuilder& i16(std::int16_t v) { return u16(static_cast<std::uint16_t>(v)); }
    MessageBuilder& text(const std::string& s);

    Message take() { return std::move(message_); }

private:
    Message message_;
};

// Reads fields back in the order they were built; reading past the end throws
// ProtocolError, so a damaged or foreign stream never yields garbage values.
class MessageParser {
public:
    explicit MessageParser(const Message& m) : data_(m.payload) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::string text();

private:
    const std::uint8_t* take(std::size_t n);

    const std::vector<std::uint8_t>& data_;
    std::size_t pos_ = 0;
};

// The far side sent something that does not follow the protocol.
class ProtocolError : public std::exception {
public:
    explicit ProtocolError(std::string what) : what_(std::move(what)) {}
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::string what_;
};

// Largest payload either side accepts; pictures travel in shared memory, so
// anything larger means the stream is out of step.
constexpr std::uint32_t kMaxPayload = 1u << 20;

}  // namespace mugwarp::filterproc
