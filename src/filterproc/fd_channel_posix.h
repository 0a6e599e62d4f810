#pragma once
#include "filterproc/byte_channel.h"

namespace mugwarp::filterproc {

// A channel over two POSIX file descriptors it owns (closed with the object).
class FdChannel : public ByteChannel {
public:
    FdChannel(int readFd, int writeFd) : readFd_(readFd), writeFd_(writeFd) {}
    ~FdChannel() override;
    FdChannel(const FdChannel&) = delete;
    FdChannel& operator=(const FdChannel&) = delete;

    void readExact(void* data, std::size_t size) override;
    void writeAll(const void* data, std::size_t size) override;

    // Waits up to timeoutMs for data (or the end of the stream) to read;
    // a negative timeout waits for ever.
    bool waitReadable(int timeoutMs);

private:
    int readFd_;
    int writeFd_;
};

}  // namespace mugwarp::filterproc
