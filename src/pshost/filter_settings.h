#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mugwarp {

// What a filter keeps of its settings between runs: its parameter block and
// its scripting parameters (the bytes of a Descriptor), either or both.
struct FilterSettings {
    std::optional<std::vector<std::uint8_t>> parameters;
    std::optional<std::vector<std::uint8_t>> descriptor;

    bool empty() const { return !parameters && !descriptor; }
    bool operator==(const FilterSettings&) const = default;
};

// A parameter block larger than this is not carried between processes or
// saved (the runner still keeps it for "Execute last filter").
constexpr std::size_t kMaxParameterBlockBytes = std::size_t(1) << 18;  // 256 KiB

}  // namespace mugwarp
