#include "filterproc/message.h"

#include <cstring>

namespace mugwarp::filterproc {

namespace {

template <typename T>
void appendLittleEndian(std::vector<std::uint8_t>& out, T v) {
    for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

template <typename T>
T readLittleEndian(const std::uint8_t* p) {
    T v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(T(p[i]) << (8 * i));
    return v;
}

}  // namespace

MessageBuilder& MessageBuilder::u8(std::uint8_t v) {
    message_.payload.push_back(v);
    return *this;
}
MessageBuilder& MessageBuilder::u16(std::uint16_t v) {
    appendLittleEndian(message_.payload, v);
    return *this;
}
MessageBuilder& MessageBuilder::u32(std::uint32_t v) {
    appendLittleEndian(message_.payload, v);
    return *this;
}
MessageBuilder& MessageBuilder::u64(std::uint64_t v) {
    appendLittleEndian(message_.payload, v);
    return *this;
}
MessageBuilder& MessageBuilder::text(const std::string& s) {
    u32(static_cast<std::uint32_t>(s.size()));
    message_.payload.insert(message_.payload.end(), s.begin(), s.end());
    return *this;
}

const std::uint8_t* MessageParser::take(std::size_t n) {
    if (n > data_.size() - pos_) throw ProtocolError("message too short");
    const std::uint8_t* p = data_.data() + pos_;
    pos_ += n;
    return p;
}

std::uint8_t MessageParser::u8() { return *take(1); }
std::uint16_t MessageParser::u16() { return readLittleEndian<std::uint16_t>(take(2)); }
std::uint32_t MessageParser::u32() { return readLittleEndian<std::uint32_t>(take(4)); }
std::uint64_t MessageParser::u64() { return readLittleEndian<std::uint64_t>(take(8)); }

std::string MessageParser::text() {
    const std::uint32_t n = u32();
    const std::uint8_t* p = take(n);
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace mugwarp::filterproc
