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

namespace {
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, &b[at], 4);
    return v;
}
void putLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { std::memcpy(&b[at], &v, 4); }
}  // namespace

bool replaceResources(std::vector<std::uint8_t>& module,
                      const std::function<std::vector<std::uint8_t>(std::uint32_t address)>& make) {
    if (module.size() < 0x40 || module[0] != 'M' || module[1] != 'Z') return false;
    const std::size_t pe = le32(module, 0x3C);
    if (pe + 24 > module.size()) return false;
    const std::size_t sectionCount = module[pe + 6] | module[pe + 7] << 8;
    const std::size_t optionalSize = module[pe + 20] | module[pe + 21] << 8;
    const std::size_t optional = pe + 24;
    const bool wide = module[optional] == 0x0B && module[optional + 1] == 0x02;
    const std::size_t resourceEntry = optional + (wide ? 112 : 96) + 2 * 8;
    const std::size_t sections = optional + optionalSize;
    if (sectionCount == 0 || sections + sectionCount * 40 > module.size()) return false;
    // The section whose file data comes last, so what is appended extends it.
    std::size_t last = sections;
    for (std::size_t i = 1; i < sectionCount; ++i)
        if (le32(module, sections + i * 40 + 20) > le32(module, last + 20)) last = sections + i * 40;
    const std::uint32_t rawSize = le32(module, last + 16), rawOffset = le32(module, last + 20);
    const std::uint32_t address = le32(module, last + 12) + rawSize;
    std::vector<std::uint8_t> directory = make(address);
    directory.resize((directory.size() + 511) & ~std::size_t(511));
    module.resize(rawOffset + rawSize);
    module.insert(module.end(), directory.begin(), directory.end());
    const std::uint32_t grown = rawSize + std::uint32_t(directory.size());
    putLe32(module, last + 16, grown);
    putLe32(module, last + 8, std::max(le32(module, last + 8), grown));
    putLe32(module, resourceEntry, address);
    putLe32(module, resourceEntry + 4, std::uint32_t(directory.size()));
    return true;
}

}  // namespace mugwarp::test
