#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "pshost/pipl_manager.h"

namespace mugwarp {

// The headers of a PE32 or PE32+ file as far as reading it without loading
// needs them: the bitness, the data directories and the sections that map
// the image's addresses to file offsets. Every read is bounds-checked, so
// any bytes at all may be given.
class PeLayout {
public:
    // Nothing unless the bytes start with DOS and PE headers of either kind.
    static std::optional<PeLayout> read(std::span<const std::uint8_t> file);

    ModuleKind kind() const { return kind_; }
    struct Directory {
        std::uint32_t rva;
        std::uint32_t size;
    };
    // The index-th data directory (1 imports, 2 resources, 14 runtime header);
    // nothing when the file has no such entry or its address is 0.
    std::optional<Directory> directory(int index) const;
    // Where the image address lies in the file; nothing outside every
    // section's file data.
    std::optional<std::uint64_t> fileOffset(std::uint32_t rva) const;

private:
    std::span<const std::uint8_t> file_;
    ModuleKind kind_ = ModuleKind::Windows64;
    std::uint64_t directories_ = 0;
    std::uint32_t directoryCount_ = 0;
    std::uint64_t sections_ = 0;
    std::uint16_t sectionCount_ = 0;
    bool sectionsFit_ = false;
};

}  // namespace mugwarp
