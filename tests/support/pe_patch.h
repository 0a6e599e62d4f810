#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mugwarp::test {

// Real Windows modules changed the way a damaged or unusual one would differ.
std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// Renames an imported DLL in place (the new name no longer than the old);
// false when the name is not in the file.
bool renameImport(std::vector<std::uint8_t>& module, const std::string& from, const std::string& to);
// Gives the module a runtime header entry, as a .NET assembly has; false for
// bytes without PE headers.
bool markAsDotNet(std::vector<std::uint8_t>& module);
// Gives the module a resource directory of the test's making, placed at the
// end of its last section (which grows to hold it): make gets the image
// address the directory will start at (for its data entries) and returns its
// bytes. False for bytes without PE headers.
bool replaceResources(std::vector<std::uint8_t>& module,
                      const std::function<std::vector<std::uint8_t>(std::uint32_t address)>& make);

}  // namespace mugwarp::test
