#include "support/pe_patch.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mugwarp::test {

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool renameImport(std::vector<std::uint8_t>& module, const std::string& from, const std::string& to) {
    if (to.size() > from.size()) return false;
    // The name as stored: its characters and the ending zero.
    const std::string stored(from.c_str(), from.size() + 1);
    const auto at = std::search(module.begin(), module.end(), stored.begin(), stored.end());
    if (at == module.end()) return false;
    std::fill(at, at + std::ptrdiff_t(stored.size()), 0);
    std::copy(to.begin(), to.end(), at);
    return true;
}

bool markAsDotNet(std::vector<std::uint8_t>& module) {
    if (module.size() < 0x40) return false;
    std::uint32_t pe = 0;
    std::memcpy(&pe, &module[0x3C], 4);
    if (std::uint64_t(pe) + 24 + 2 > module.size()) return false;
    const std::size_t optional = pe + 24;
    const bool wide = module[optional] == 0x0B && module[optional + 1] == 0x02;
    const std::size_t runtimeEntry = optional + (wide ? 112 : 96) + 14 * 8;
    if (runtimeEntry + 8 > module.size()) return false;
    const std::uint32_t entry[2] = {0x1000, 72};  // any address; the loader would read the header there
    std::memcpy(&module[runtimeEntry], entry, sizeof entry);
    return true;
}

}  // namespace mugwarp::test
