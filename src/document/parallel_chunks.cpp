#include "document/parallel_chunks.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace mugwarp {

namespace {

// Below this much work a second thread costs more than it saves.
constexpr std::size_t kParallelBytes = std::size_t{4} << 20;

}  // namespace

void forEachChunk(std::size_t count, std::size_t total, const std::function<void(std::size_t)>& work) {
    const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    const std::size_t threads = total < kParallelBytes ? 1 : std::min<std::size_t>(cores, count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) work(i);
        return;
    }
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto run = [&](std::size_t first) {
        try {
            for (std::size_t i = first; i < count; i += threads) work(i);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run, t);
        run(0);
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace mugwarp
