#include "pshost/filter_resources.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "pshost/host_memory.h"

namespace mugwarp {

namespace {
// The count is a 16-bit value: no more than that many of one type.
constexpr std::size_t kMostOfOneType = std::numeric_limits<std::int16_t>::max();
}  // namespace

const FilterResources::Resource* FilterResources::find(abi::OSType type, std::int16_t index) const {
    if (!current_ || index < 1) return nullptr;
    int seen = 0;
    for (const Resource& r : *current_)
        if (r.first == type && ++seen == index) return &r;
    return nullptr;
}

std::int16_t FilterResources::count(abi::OSType type) const {
    if (!current_) return 0;
    return std::int16_t(std::count_if(current_->begin(), current_->end(), [&](const Resource& r) { return r.first == type; }));
}

abi::Handle FilterResources::get(abi::OSType type, std::int16_t index) const {
    const Resource* r = find(type, index);
    if (!r) return nullptr;
    HostMemory& memory = HostMemory::instance();
    abi::Handle copy = memory.allocate(r->second.size());
    if (copy && !r->second.empty()) std::memcpy(*copy, r->second.data(), r->second.size());
    return copy;
}

void FilterResources::remove(abi::OSType type, std::int16_t index) {
    const Resource* r = find(type, index);
    if (r) current_->erase(current_->begin() + (r - current_->data()));
}

abi::OSErr FilterResources::add(abi::OSType type, abi::Handle data) {
    HostMemory& memory = HostMemory::instance();
    if (!current_) return abi::kParamErr;
    if (!memory.isHandle(data)) return abi::kNilHandleErr;
    if (std::size_t(count(type)) >= kMostOfOneType) return abi::kMemFullErr;
    const std::size_t size = memory.size(data);
    std::vector<char> bytes(*data, *data + size);
    current_->emplace_back(type, std::move(bytes));
    return abi::kNoErr;
}

}  // namespace mugwarp
