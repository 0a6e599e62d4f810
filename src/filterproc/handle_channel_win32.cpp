#include "filterproc/handle_channel_win32.h"

namespace mugwarp::filterproc {

void HandleChannel::readExact(void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        DWORD n = 0;
        if (!ReadFile(read_, p, static_cast<DWORD>(size), &n, nullptr) || n == 0) throw ChannelClosed();
        p += n;
        size -= n;
    }
}

void HandleChannel::writeAll(const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD n = 0;
        if (!WriteFile(write_, p, static_cast<DWORD>(size), &n, nullptr) || n == 0) throw ChannelClosed();
        p += n;
        size -= n;
    }
}

}  // namespace mugwarp::filterproc
