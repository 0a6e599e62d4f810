#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace mugwarp {

// Movable memory blocks with lock counts, as filters get them through the
// buffer and handle suites and as the kept parameter block is. A handle is
// the address of the block's data pointer, so a filter may read *handle.
// New bytes are always zero. One table for the process: a filter may keep a
// handle in its data word from one run to the next.
class HostMemory {
public:
    using Handle = char**;

    static HostMemory& instance();
    ~HostMemory();

    // Nothing when the memory cannot be had.
    Handle allocate(std::size_t size);
    // False (and nothing changes) for anything that is not a live handle.
    bool dispose(Handle handle);
    void disposeIfHandle(Handle handle) { dispose(handle); }
    bool isHandle(Handle handle) const;
    // 0 for a dead handle.
    std::size_t size(Handle handle) const;
    // Keeps the handle; the data may move. False when the memory cannot be had.
    bool resize(Handle handle, std::size_t newSize);
    // The data, counting one lock; nothing for a dead handle.
    char* lock(Handle handle);
    void unlock(Handle handle);
    int lockCount(Handle handle) const;
    std::size_t liveBlocks() const { return blocks_.size(); }

private:
    struct Block {
        char* data = nullptr;  // first, so the handle is the block's address
        std::size_t size = 0;
        std::size_t capacity = 0;
        int locks = 0;
        ~Block();
    };
    Block* find(Handle handle) const;

    std::unordered_map<Handle, std::unique_ptr<Block>> blocks_;
    // The storage of the last large block disposed of, for the next
    // allocation of about its size: filters allocate the same buffer run
    // after run, and memory already mapped is cheaper to clear than to map.
    char* spare_ = nullptr;
    std::size_t spareCapacity_ = 0;
};

// The machine's physical memory in bytes.
std::uint64_t totalPhysicalMemory();

}  // namespace mugwarp
