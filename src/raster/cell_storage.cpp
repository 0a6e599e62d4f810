#include "raster/cell_storage.h"

#include <atomic>

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

}  // namespace mugwarp
