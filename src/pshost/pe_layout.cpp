#include "pshost/pe_layout.h"

#include <algorithm>

#include "pshost/byte_access.h"

namespace mugwarp {

std::optional<PeLayout> PeLayout::read(std::span<const std::uint8_t> file) {
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
    const std::uint32_t pe = readLe32(file, 0x3C);
    if (!fits(pe, 24, file.size()) || readLe32(file, pe) != 0x00004550) return std::nullopt;  // "PE\0\0"
    const std::uint16_t optionalSize = readLe16(file, pe + 20);
    const std::uint64_t optional = std::uint64_t(pe) + 24;
    if (!fits(optional, optionalSize, file.size()) || optionalSize < 2) return std::nullopt;
    PeLayout layout;
    layout.file_ = file;
    // The directory count sits just before the directories.
    std::uint64_t directories = 0;
    switch (readLe16(file, optional)) {
        case 0x20B: layout.kind_ = ModuleKind::Windows64, directories = optional + 112; break;
        case 0x10B: layout.kind_ = ModuleKind::Windows32, directories = optional + 96; break;
        default: return std::nullopt;
    }
    layout.directories_ = directories;
    const std::uint64_t end = optional + optionalSize;
    if (directories <= end) {
        const std::uint64_t room = (end - directories) / 8;
        layout.directoryCount_ = std::uint32_t(std::min<std::uint64_t>(room, readLe32(file, directories - 4)));
    }
    layout.sections_ = end;
    layout.sectionCount_ = readLe16(file, pe + 6);
    layout.sectionsFit_ = fits(layout.sections_, std::uint64_t(layout.sectionCount_) * 40, file.size());
    return layout;
}

std::optional<PeLayout::Directory> PeLayout::directory(int index) const {
    if (index < 0 || std::uint32_t(index) >= directoryCount_) return std::nullopt;
    const std::uint64_t at = directories_ + std::uint64_t(index) * 8;
    const Directory d{readLe32(file_, at), readLe32(file_, at + 4)};
    if (d.rva == 0) return std::nullopt;
    return d;
}

std::optional<std::uint64_t> PeLayout::fileOffset(std::uint32_t rva) const {
    if (!sectionsFit_) return std::nullopt;
    for (int i = 0; i < sectionCount_; ++i) {
        const std::uint64_t at = sections_ + std::uint64_t(i) * 40;
        const std::uint32_t virtualSize = readLe32(file_, at + 8);
        const std::uint32_t virtualAddress = readLe32(file_, at + 12);
        const std::uint32_t rawSize = readLe32(file_, at + 16);
        const std::uint32_t rawOffset = readLe32(file_, at + 20);
        const std::uint32_t extent = std::max(virtualSize, rawSize);
        if (rva >= virtualAddress && rva - virtualAddress < extent) {
            const std::uint32_t inside = rva - virtualAddress;
            if (inside >= rawSize) return std::nullopt;
            return std::uint64_t(rawOffset) + inside;
        }
    }
    return std::nullopt;
}

}  // namespace mugwarp
