#include <charconv>
#include <cstring>
#include <string_view>

#include "pshost/byte_access.h"
#include "pshost/module_resources.h"

namespace mugwarp {

namespace {

constexpr std::uint32_t kSectionWithoutBytes = 8;  // SHT_NOBITS

// "<prefix><n>" with n a decimal number.
std::optional<std::uint32_t> numberAfter(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) return std::nullopt;
    std::uint32_t n = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, n);
    if (ec != std::errc() || end != last) return std::nullopt;
    return n;
}

}  // namespace

std::optional<ModuleResources> readElfResources(std::span<const std::uint8_t> file) {
    if (file.size() < 64 || file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F') return std::nullopt;
    if (file[4] != 2 || file[5] != 1) return std::nullopt;  // 64-bit, little-endian
    const std::uint64_t tableOffset = readLe64(file, 0x28);
    const std::uint16_t entrySize = readLe16(file, 0x3A);
    const std::uint16_t count = readLe16(file, 0x3C);
    const std::uint16_t namesIndex = readLe16(file, 0x3E);
    if (entrySize < 64 || namesIndex >= count || !fits(tableOffset, std::uint64_t(entrySize) * count, file.size())) {
        return std::nullopt;
    }
    struct Section {
        std::uint32_t name, type;
        std::uint64_t offset, size;
    };
    auto section = [&](std::size_t i) {
        const std::size_t at = tableOffset + i * entrySize;
        return Section{readLe32(file, at), readLe32(file, at + 4), readLe64(file, at + 0x18), readLe64(file, at + 0x20)};
    };
    const Section names = section(namesIndex);
    if (!fits(names.offset, names.size, file.size())) return std::nullopt;
    const auto nameTable = file.subspan(names.offset, names.size);

    ModuleResources resources;
    for (std::size_t i = 0; i < count; ++i) {
        const Section s = section(i);
        if (s.name >= nameTable.size() || s.type == kSectionWithoutBytes) continue;
        const auto* start = reinterpret_cast<const char*>(nameTable.data()) + s.name;
        const std::string_view name(start, strnlen(start, nameTable.size() - s.name));
        if (!name.starts_with(".rsrc.")) continue;
        if (!fits(s.offset, s.size, file.size())) continue;
        const auto bytes = file.subspan(s.offset, s.size);
        if (numberAfter(name, ".rsrc.PIPL.")) {
            resources.pipls.emplace_back(bytes.begin(), bytes.end());
        } else if (auto n = numberAfter(name, ".rsrc.PIMI.")) {
            resources.legacyInfo[*n].assign(bytes.begin(), bytes.end());
        } else if (auto m = numberAfter(name, ".rsrc._8BFM.")) {
            resources.legacyNames[*m].assign(bytes.begin(), bytes.end());
        }
    }
    return resources;
}

}  // namespace mugwarp
