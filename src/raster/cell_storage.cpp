#include "raster/cell_storage.h"

#include "raster/huge_pages.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <atomic>
#include <cstdint>

namespace mugwarp {

namespace {
// Requests left before the hook fails them; negative: never.
std::atomic<long> requestsBeforeFailure{-1};
std::atomic<bool> failed{false};
}  // namespace

void failAllocationsAfter(long count) {
    failed.store(false);
    requestsBeforeFailure.store(count);
}

bool allocationHookFailed() { return failed.load(); }

bool allocationHookFails() {
    long left = requestsBeforeFailure.load(std::memory_order_relaxed);
    while (left >= 0 && !requestsBeforeFailure.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 0) return false;
    failed.store(true);
    return true;
}

#if defined(__linux__) && !defined(MUGWARP_ADDRESS_SANITIZER)

// Huge pages come only to a range that starts on their boundary, so the block
// is cut out of a mapping one huge page longer.
void* PictureBlocks::allocate(std::size_t bytes) {
    if (bytes < kHugePagesFrom) return std::calloc(bytes, 1);
    if (bytes > std::size_t(-1) - 2 * kHugePageBytes) return nullptr;
    const std::size_t size = roundedUpToHugePages(bytes);
    void* mapped = ::mmap(nullptr, size + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const auto aligned = roundedUpToHugePages(start);
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + kHugePageBytes - aligned)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
    ::madvise(block, size, MADV_HUGEPAGE);  // only advice: where huge pages are off, small ones
    return block;
}

void PictureBlocks::release(void* p, std::size_t bytes) noexcept {
    if (!p) return;
    if (bytes < kHugePagesFrom) return std::free(p);
    ::munmap(p, roundedUpToHugePages(bytes));
}

#else

void* PictureBlocks::allocate(std::size_t bytes) { return std::calloc(bytes, 1); }
void PictureBlocks::release(void* p, std::size_t) noexcept { std::free(p); }

#endif

}  // namespace mugwarp
