#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "pshost/filter_abi.h"

namespace mugwarp {

// The resources a filter stores through the record's resource procedures
// (typically its settings or presets), kept per module for the session: a
// filter finds what it added in an earlier run, other modules never see it.
class FilterResources {
public:
    // The module whose resources the procedures reach from now on.
    void selectModule(const std::string& modulePath) { current_ = &byModule_[modulePath]; }

    std::int16_t count(abi::OSType type) const;
    // A new handle with a copy of the index-th (from 1) resource of the type,
    // which the filter disposes of; nothing when there is none.
    abi::Handle get(abi::OSType type, std::int16_t index) const;
    void remove(abi::OSType type, std::int16_t index);
    // Keeps a copy of the handle's bytes.
    abi::OSErr add(abi::OSType type, abi::Handle data);

private:
    using Resource = std::pair<abi::OSType, std::vector<char>>;
    const Resource* find(abi::OSType type, std::int16_t index) const;

    std::map<std::string, std::vector<Resource>> byModule_;
    std::vector<Resource>* current_ = nullptr;
};

}  // namespace mugwarp
