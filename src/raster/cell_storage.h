#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <stdexcept>
#include <string>
#include <vector>

#include "raster/error.h"

namespace mugwarp {

// Largest cell count a surface or map may have: 2^28 cells (a 16384 x 16384
// picture). Larger requests fail with the caller's message before anything
// is allocated, so an absurd size can neither overflow the size arithmetic
// nor push the machine into the out-of-memory killer.
constexpr std::int64_t kMaxCells = std::int64_t{1} << 28;

// Throws Error(message) unless width x height is an allowed cell count.
inline void checkCellCount(int width, int height, const std::string& message) {
    if (width < 0 || height < 0 || static_cast<std::int64_t>(width) * height > kMaxCells) throw Error(message);
}

// A failure hook for the paths that allocate pictures and history steps, so
// tests can make memory run out at any chosen request: after `count` more
// requests succeed, the next one fails; count < 0 clears the hook.
void failAllocationsAfter(long count);
// Counts one request; true when it is to fail.
bool allocationHookFails();
// Whether the hook has failed a request since it was last set.
bool allocationHookFailed();

// `count` zero-initialised elements, or Error(message) when memory cannot be had.
template <class T, class Allocator = std::allocator<T>>
std::vector<T, Allocator> allocateZeroed(std::size_t count, const std::string& message) {
    if (allocationHookFails()) throw Error(message);
    try {
        return std::vector<T, Allocator>(count);
    } catch (const std::bad_alloc&) {
        throw Error(message);
    } catch (const std::length_error&) {
        throw Error(message);
    }
}

// width * height zero-initialised cells, or Error(message).
template <class T, class Allocator = std::allocator<T>>
std::vector<T, Allocator> allocateCells(int width, int height, const std::string& message) {
    checkCellCount(width, height, message);
    return allocateZeroed<T, Allocator>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), message);
}

// Where zeroed blocks come from: calloc, whose large blocks are fresh pages
// that cost nothing until first touched.
struct CallocBlocks {
    static void* allocate(std::size_t bytes) { return std::calloc(bytes, 1); }
    static void release(void* p, std::size_t) noexcept { std::free(p); }
};

// Under the address sanitizer picture blocks come from its allocator too, so
// that a write past a picture's end is caught.
#if defined(__SANITIZE_ADDRESS__)
#define MUGWARP_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MUGWARP_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__linux__) && !defined(MUGWARP_ADDRESS_SANITIZER)
constexpr bool kPictureBlocksOnHugePages = true;
#else
constexpr bool kPictureBlocksOnHugePages = false;
#endif

// Zeroed blocks for whole pictures, every cell of which is written soon after.
// Blocks of some megabytes are fresh pages asked for as huge pages where the
// system has them: the first fill of a 48 MB picture then faults two dozen
// times instead of twelve thousand, and takes a third of the time on the
// machines measured. Null when the memory cannot be had.
struct PictureBlocks {
    static void* allocate(std::size_t bytes);
    static void release(void* p, std::size_t bytes) noexcept;
};

// Cells in memory the system hands out already zeroed. Value-initialising
// them again would touch every page: a map of which only a brush's square is
// ever written would fault in all of it at once, and a picture about to be
// filled would be written twice. Only for cell types whose all-zero bytes are
// their value-initialised state, and only as whole blocks made at their size:
// growing one in place would leave old values in the new cells.
template <class T, class Blocks = CallocBlocks>
struct ZeroedCellsAllocator {
    static_assert(std::is_trivially_copyable_v<T>, "cells must be plain bytes");
    using value_type = T;
    ZeroedCellsAllocator() = default;
    template <class U>
    ZeroedCellsAllocator(const ZeroedCellsAllocator<U, Blocks>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
        void* p = Blocks::allocate(n * sizeof(T));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t n) noexcept { Blocks::release(p, n * sizeof(T)); }
    template <class U>
    void construct(U*) noexcept {}  // already zero
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    friend bool operator==(const ZeroedCellsAllocator&, const ZeroedCellsAllocator&) { return true; }
};
template <class T>
using ZeroedCells = std::vector<T, ZeroedCellsAllocator<T>>;
template <class T>
using PictureCells = std::vector<T, ZeroedCellsAllocator<T, PictureBlocks>>;

}  // namespace mugwarp
