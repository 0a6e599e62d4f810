#pragma once
#include <cstddef>
#include <functional>

namespace mugwarp {

// Runs work(i) for every i below count, spread over the cores when total
// bytes of work make a second thread worth it (large pictures only). The
// first exception thrown is rethrown here, after every thread has ended.
void forEachChunk(std::size_t count, std::size_t total, const std::function<void(std::size_t)>& work);

}  // namespace mugwarp
