#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "pshost/descriptor_abi.h"

namespace mugwarp {

// The write and read descriptor procedures filters reach through the record's
// scripting parameters. A descriptor handle is a host memory handle holding
// the bytes of a Descriptor; the tokens between open and close are ours.
const abi::WriteDescriptorProcs& writeDescriptorProcs();
const abi::ReadDescriptorProcs& readDescriptorProcs();
// Tokens a filter opened and never closed (the end of every run).
void discardDescriptorTokens();
std::size_t openDescriptorTokens();

// The scripting parameters of one run: made with the descriptor the filter
// starts from (if any), read back after the run.
class DescriptorParameters {
public:
    DescriptorParameters() = default;
    ~DescriptorParameters();
    DescriptorParameters(const DescriptorParameters&) = delete;
    DescriptorParameters& operator=(const DescriptorParameters&) = delete;

    // Fills the record's block: playInfo, and a fresh handle with the bytes.
    void prepare(const std::optional<std::vector<std::uint8_t>>& descriptor, std::int16_t playInfo);
    abi::PIDescriptorParameters* block() { return &block_; }
    // What the filter left in the block as a descriptor, when it is one; the
    // handle is released either way.
    std::optional<std::vector<std::uint8_t>> take();
    // Releases the handle and any tokens left open.
    void release();

private:
    abi::PIDescriptorParameters block_{};
};

}  // namespace mugwarp
