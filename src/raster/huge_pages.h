#pragma once
#include <cstddef>

namespace mugwarp {

// Huge pages (2 MB on x86-64) for blocks of a few megabytes and more: the
// first touch of such a block then faults a few dozen times instead of some
// thousands. A header alone, so that builds taking no raster sources (the
// Windows runners) share it too.
constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;
constexpr std::size_t kHugePagesFrom = 2 * kHugePageBytes;

// n rounded up to whole huge pages (a size, or an address to align).
template <class Unsigned>
constexpr Unsigned roundedUpToHugePages(Unsigned n) {
    return (n + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
}

}  // namespace mugwarp
