#include "filterproc/fd_channel_posix.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace mugwarp::filterproc {

FdChannel::~FdChannel() {
    if (readFd_ >= 0) ::close(readFd_);
    if (writeFd_ >= 0 && writeFd_ != readFd_) ::close(writeFd_);
}

void FdChannel::readExact(void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(readFd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ChannelClosed();
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

void FdChannel::writeAll(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(writeFd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ChannelClosed();
        p += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool FdChannel::waitReadable(int timeoutMs) {
    pollfd pfd{readFd_, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&pfd, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        return r > 0;
    }
}

}  // namespace mugwarp::filterproc
