#pragma once
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace mugwarp {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using LargeArray = std::unique_ptr<T[], FreeDeleter>;

// Storage for the host's large buffers (plane blocks, pixels copied aside),
// not zeroed. Where the system offers huge pages, blocks of a few megabytes
// and more ask for them: the first use of a fresh 36 MB block then faults a
// few dozen times instead of nine thousand, and walks through fewer pages.
// Null when the memory cannot be had.
void* allocateLarge(std::size_t bytes);

template <typename T>
LargeArray<T> allocateLargeArray(std::size_t count) {
    return LargeArray<T>(static_cast<T*>(allocateLarge(count * sizeof(T))));
}

}  // namespace mugwarp
