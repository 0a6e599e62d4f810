#include "pshost/large_allocation.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace mugwarp {

void* allocateLarge(std::size_t bytes) {
#ifdef __linux__
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    if (bytes >= 2 * kHugePage) {
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = std::aligned_alloc(kHugePage, rounded);
        // Only advice: where huge pages are off, the block keeps small ones.
        if (p) madvise(p, rounded, MADV_HUGEPAGE);
        return p;
    }
#endif
    return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace mugwarp
