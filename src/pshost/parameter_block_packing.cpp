#include "pshost/parameter_block_packing.h"

#include <cstring>

#include "pshost/byte_access.h"
#include "pshost/filter_settings.h"

namespace mugwarp {

namespace {

constexpr std::uint8_t kMagic[4] = {'M', 'W', 'P', 'B'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kPointer = sizeof(void*);

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

bool looksPacked(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), kMagic, 4) == 0;
}

struct Nested {
    std::uint32_t offset;
    HostMemory::Handle handle;
};

}  // namespace

std::vector<std::uint8_t> packParameterBlock(std::span<const std::uint8_t> block, const HostMemory& memory) {
    // Every byte offset: a packed structure may hold a pointer anywhere. A
    // random run of bytes equal to a live handle's address is not to be met.
    std::vector<Nested> nested;
    std::size_t total = 0;
    for (std::size_t at = 0; at + kPointer <= block.size();) {
        HostMemory::Handle candidate = nullptr;
        std::memcpy(&candidate, block.data() + at, kPointer);
        if (candidate && memory.isHandle(candidate)) {
            nested.push_back({std::uint32_t(at), candidate});
            total += 8 + memory.size(candidate);
            at += kPointer;
        } else {
            ++at;
        }
    }
    const std::size_t packedSize = 20 + block.size() + total;
    if ((nested.empty() && !looksPacked(block)) || packedSize > kMaxParameterBlockBytes)
        return {block.begin(), block.end()};
    std::vector<std::uint8_t> out(kMagic, kMagic + 4);
    out.reserve(packedSize);
    put32(out, kVersion);
    put32(out, kPointer);
    put32(out, std::uint32_t(block.size()));
    out.insert(out.end(), block.begin(), block.end());
    put32(out, std::uint32_t(nested.size()));
    for (const Nested& n : nested) {
        const std::size_t size = memory.size(n.handle);
        put32(out, n.offset);
        put32(out, std::uint32_t(size));
        const auto* data = reinterpret_cast<const std::uint8_t*>(*n.handle);
        out.insert(out.end(), data, data + size);
    }
    return out;
}

std::optional<HostMemory::Handle> unpackParameterBlock(std::span<const std::uint8_t> kept, HostMemory& memory) {
    const auto copyOf = [&memory](std::span<const std::uint8_t> bytes) -> std::optional<HostMemory::Handle> {
        HostMemory::Handle h = memory.allocate(bytes.size());
        if (!h) return std::nullopt;
        if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
        return h;
    };
    if (!looksPacked(kept)) return copyOf(kept);
    if (kept.size() < 20 || readLe32(kept, 4) != kVersion || readLe32(kept, 8) != kPointer) return std::nullopt;
    const std::size_t blockSize = readLe32(kept, 12);
    if (!fits(16, blockSize + 4, kept.size())) return std::nullopt;
    const std::uint32_t count = readLe32(kept, 16 + blockSize);
    // Every part is checked before anything is allocated.
    std::vector<std::pair<std::uint32_t, std::span<const std::uint8_t>>> parts;
    std::size_t at = 20 + blockSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!fits(at, 8, kept.size())) return std::nullopt;
        const std::uint32_t offset = readLe32(kept, at), size = readLe32(kept, at + 4);
        if (!fits(offset, kPointer, blockSize) || !fits(at + 8, size, kept.size())) return std::nullopt;
        parts.emplace_back(offset, kept.subspan(at + 8, size));
        at += 8 + std::size_t(size);
    }
    if (at != kept.size()) return std::nullopt;
    const auto block = copyOf(kept.subspan(16, blockSize));
    if (!block) return std::nullopt;
    for (const auto& [offset, bytes] : parts) {
        const auto handle = copyOf(bytes);
        if (!handle) {
            memory.dispose(*block);
            return std::nullopt;
        }
        std::memcpy(**block + offset, &*handle, kPointer);
    }
    return block;
}

}  // namespace mugwarp
