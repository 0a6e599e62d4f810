#include "filterproc/byte_channel.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace mugwarp::filterproc {

namespace {

std::uint32_t word(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

void putWord(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

Message readMessage(ByteChannel& channel) {
    std::uint8_t head[8];
    channel.readExact(head, sizeof head);
    Message m;
    m.type = word(head);
    const std::uint32_t size = word(head + 4);
    if (size > kMaxPayload)
        throw ProtocolError("a message of " + std::to_string(size) + " bytes, more than the " +
                            std::to_string(kMaxPayload) + " allowed");
    m.payload.resize(size);
    if (size) channel.readExact(m.payload.data(), size);
    return m;
}

void writeMessage(ByteChannel& channel, const Message& message) {
    // One write per message, so a small message is one pipe write.
    std::vector<std::uint8_t> frame(8 + message.payload.size());
    putWord(frame.data(), message.type);
    putWord(frame.data() + 4, static_cast<std::uint32_t>(message.payload.size()));
    if (!message.payload.empty()) std::memcpy(frame.data() + 8, message.payload.data(), message.payload.size());
    channel.writeAll(frame.data(), frame.size());
}

}  // namespace mugwarp::filterproc
