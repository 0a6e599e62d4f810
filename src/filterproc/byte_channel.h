#pragma once
#include <cstddef>

#include "filterproc/message.h"

namespace mugwarp::filterproc {

// A two-way byte stream to the other side (pipes to or from a runner).
class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Both throw ChannelClosed when the other side has gone.
    virtual void readExact(void* data, std::size_t size) = 0;
    virtual void writeAll(const void* data, std::size_t size) = 0;
};

// The other side closed its end or died.
class ChannelClosed : public std::exception {
public:
    const char* what() const noexcept override { return "the other side of the channel has gone"; }
};

Message readMessage(ByteChannel& channel);
void writeMessage(ByteChannel& channel, const Message& message);

}  // namespace mugwarp::filterproc
