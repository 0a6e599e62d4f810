#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "pshost/host_memory.h"

namespace mugwarp {

// A parameter block is kept beyond the process it was made in (saved
// settings, a replay in another runner), but some filters keep handles
// inside it (their expressions, a list of points), which mean nothing to
// another process. Such a block is kept packed: the block's bytes with the
// contents of every live host handle found in it and where it lies. A block
// holding no handle is kept as it is (unless it starts as a packed one does,
// so that the two can never be confused).
//
// Packed form, little-endian: "MWPB", u32 version 1, u32 pointer size, u32
// block length, the block, u32 handle count, then per handle u32 offset in
// the block, u32 length, its bytes.
std::vector<std::uint8_t> packParameterBlock(std::span<const std::uint8_t> block, const HostMemory& memory);

// A new host handle holding the block as kept, every handle it held made
// anew with its contents and its new address written where the old one
// lay. Nothing for a packed block that is damaged or from a process of
// another pointer size, or when the memory cannot be had.
std::optional<HostMemory::Handle> unpackParameterBlock(std::span<const std::uint8_t> kept, HostMemory& memory);

}  // namespace mugwarp
