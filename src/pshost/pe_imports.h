#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mugwarp {

// What a Windows module needs before it can load, read from its import
// directory without loading it: the DLLs it imports (delay-loaded ones are
// not needed to load) and whether it is a .NET assembly (it has a runtime
// header). Any bytes may be given: nothing for what is not a PE file, and
// whatever can be read of a damaged import directory.
struct PeImports {
    std::vector<std::string> libraries;
    bool dotNetAssembly = false;
};
std::optional<PeImports> readPeImports(std::span<const std::uint8_t> file);

}  // namespace mugwarp
