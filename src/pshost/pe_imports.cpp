#include "pshost/pe_imports.h"

#include <algorithm>

#include "pshost/byte_access.h"
#include "pshost/pe_layout.h"

namespace mugwarp {

namespace {

constexpr int kImportDirectory = 1;
constexpr int kRuntimeHeaderDirectory = 14;
constexpr std::uint64_t kDescriptorBytes = 20;
// Real modules import a few dozen DLLs at most, whose names are short.
constexpr int kMostLibraries = 1024;
constexpr std::size_t kLongestName = 260;

// A printable name ending in a zero byte inside the file; nothing otherwise.
std::optional<std::string> nameAt(std::span<const std::uint8_t> file, std::uint64_t offset) {
    std::string name;
    for (std::uint64_t at = offset; at < file.size() && name.size() <= kLongestName; ++at) {
        const std::uint8_t c = file[at];
        if (c == 0) return name.empty() ? std::nullopt : std::optional(name);
        if (c < 0x20 || c > 0x7E) return std::nullopt;
        name += char(c);
    }
    return std::nullopt;
}

}  // namespace

std::optional<PeImports> readPeImports(std::span<const std::uint8_t> file) {
    const auto layout = PeLayout::read(file);
    if (!layout) return std::nullopt;
    PeImports imports;
    const auto runtime = layout->directory(kRuntimeHeaderDirectory);
    imports.dotNetAssembly = runtime && runtime->size > 0;
    const auto directory = layout->directory(kImportDirectory);
    if (!directory) return imports;
    const auto start = layout->fileOffset(directory->rva);
    if (!start) return imports;
    for (int i = 0; i < kMostLibraries; ++i) {
        const std::uint64_t at = *start + std::uint64_t(i) * kDescriptorBytes;
        if (!fits(at, kDescriptorBytes, file.size())) break;
        const std::uint32_t nameRva = readLe32(file, at + 12);
        const std::uint32_t firstThunk = readLe32(file, at + 16);
        if (nameRva == 0 && firstThunk == 0) break;  // the all-zero descriptor ends the list
        const auto nameOffset = layout->fileOffset(nameRva);
        const auto name = nameOffset ? nameAt(file, *nameOffset) : std::nullopt;
        if (name && std::find(imports.libraries.begin(), imports.libraries.end(), *name) == imports.libraries.end())
            imports.libraries.push_back(*name);
    }
    return imports;
}

}  // namespace mugwarp
