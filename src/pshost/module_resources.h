#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pshost/pipl_manager.h"

namespace mugwarp {

// The plug-in resources of one module file, read from the file's bytes
// without loading or running the module.
struct ModuleResources {
    ModuleKind kind = ModuleKind::Native;
    // PiPL resources in the module's order, each with its leading 16-bit word.
    std::vector<std::vector<std::uint8_t>> pipls;
    // Legacy resources by numeric ID.
    std::map<std::uint32_t, std::vector<std::uint8_t>> legacyInfo;   // "PIMI"
    std::map<std::uint32_t, std::vector<std::uint8_t>> legacyNames;  // "_8BFM"
    // Windows modules: the DLLs the module imports (names as written), and
    // whether it is a .NET assembly.
    std::vector<std::string> importedLibraries;
    bool dotNetAssembly = false;
};

// Native modules: ELF sections ".rsrc.PIPL.<n>" in section order, legacy
// ".rsrc.PIMI.<n>" and ".rsrc._8BFM.<n>". Nothing for bytes that are not a
// 64-bit little-endian ELF file.
std::optional<ModuleResources> readElfResources(std::span<const std::uint8_t> file);
// Windows modules: resources of type "PIPL" (and legacy "PIMI"/"_8BFM") from a
// PE32 or PE32+ file's resource directory. Nothing for other bytes.
std::optional<ModuleResources> readPeResources(std::span<const std::uint8_t> file);
// Either of the two, by the file's signature; nothing when the file cannot be
// read or is neither kind.
std::optional<ModuleResources> readModuleResources(const std::string& path);

}  // namespace mugwarp
