#include "pshost/host_memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace mugwarp {

namespace {

constexpr std::size_t kSmallestSpare = std::size_t(1) << 20;
constexpr std::size_t kLargestSpare = std::size_t(64) << 20;

}  // namespace

HostMemory::Block::~Block() { std::free(data); }

HostMemory& HostMemory::instance() {
    static HostMemory memory;
    return memory;
}

HostMemory::~HostMemory() { std::free(spare_); }

HostMemory::Handle HostMemory::allocate(std::size_t size) {
    auto block = std::make_unique<Block>();
    if (spare_ && size <= spareCapacity_ && size >= spareCapacity_ / 2) {
        block->data = std::exchange(spare_, nullptr);
        block->capacity = spareCapacity_;
        std::memset(block->data, 0, size);
    } else {
        // One byte at least, so even an empty block has an address of its own.
        block->data = static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
        if (!block->data) return nullptr;
        block->capacity = size;
    }
    block->size = size;
    Handle handle = &block->data;
    try {
        blocks_.emplace(handle, std::move(block));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return handle;
}

HostMemory::Block* HostMemory::find(Handle handle) const {
    const auto it = blocks_.find(handle);
    return it == blocks_.end() ? nullptr : it->second.get();
}

bool HostMemory::dispose(Handle handle) {
    const auto it = blocks_.find(handle);
    if (it == blocks_.end()) return false;
    Block& b = *it->second;
    if (b.capacity >= kSmallestSpare && b.capacity <= kLargestSpare) {
        std::free(spare_);
        spare_ = std::exchange(b.data, nullptr);
        spareCapacity_ = b.capacity;
    }
    blocks_.erase(it);
    return true;
}

bool HostMemory::isHandle(Handle handle) const { return find(handle) != nullptr; }

std::size_t HostMemory::size(Handle handle) const {
    const Block* b = find(handle);
    return b ? b->size : 0;
}

bool HostMemory::resize(Handle handle, std::size_t newSize) {
    Block* b = find(handle);
    if (!b) return false;
    auto* data = static_cast<char*>(std::realloc(b->data, newSize == 0 ? 1 : newSize));
    if (!data) return false;
    if (newSize > b->size) std::memset(data + b->size, 0, newSize - b->size);
    b->data = data;
    b->size = newSize;
    b->capacity = newSize == 0 ? 1 : newSize;
    return true;
}

char* HostMemory::lock(Handle handle) {
    Block* b = find(handle);
    if (!b) return nullptr;
    ++b->locks;
    return b->data;
}

void HostMemory::unlock(Handle handle) {
    Block* b = find(handle);
    if (b && b->locks > 0) --b->locks;
}

int HostMemory::lockCount(Handle handle) const {
    const Block* b = find(handle);
    return b ? b->locks : 0;
}

std::uint64_t totalPhysicalMemory() {
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : 0;
#endif
}

}  // namespace mugwarp
