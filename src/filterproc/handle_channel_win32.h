#pragma once
#include <windows.h>

#include "filterproc/byte_channel.h"

namespace mugwarp::filterproc {

// A channel over two Windows handles (the runner's inherited standard input
// and output, which Wine connects to the editor's pipes).
class HandleChannel : public ByteChannel {
public:
    HandleChannel(HANDLE read, HANDLE write) : read_(read), write_(write) {}
    void readExact(void* data, std::size_t size) override;
    void writeAll(const void* data, std::size_t size) override;

private:
    HANDLE read_;
    HANDLE write_;
};

}  // namespace mugwarp::filterproc
