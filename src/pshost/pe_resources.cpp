#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <set>

#include "pshost/byte_access.h"
#include "pshost/module_resources.h"
#include "pshost/pe_imports.h"
#include "pshost/pe_layout.h"

namespace mugwarp {

namespace {

constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
// A damaged or hostile module may point directories back at each other, list
// thousands of entries with long names or share one huge resource among them
// all; discovery reads every module at the editor's start, so what one module
// can cost is bounded. Real modules stay far below every limit.
constexpr int kMaxEntries = 4096;         // per directory; real modules have a handful
constexpr int kMaxEntriesInAll = 16384;   // over the whole walk
constexpr std::size_t kMaxNameChars = 8;  // the type names looked for are shorter
constexpr std::uint64_t kMaxResourceBytes = 8u << 20;  // copied out, over the whole walk

// The resource directory of a PE file, with its addresses turned into file
// offsets. Each directory is read at most once: a second visit (a loop, or
// entries sharing a directory) finds it empty.
class ResourceDirectory {
public:
    ResourceDirectory(std::span<const std::uint8_t> file, std::uint64_t base,
                      std::function<std::optional<std::uint64_t>(std::uint32_t)> rvaToOffset)
        : file_(file), base_(base), rvaToOffset_(std::move(rvaToOffset)) {}

    struct Entry {
        bool named = false;
        std::string name;  // upper-cased, at most kMaxNameChars + 1 characters
        std::uint32_t id = 0;
        std::uint32_t target = 0;  // offset from the directory's start, bit 31 for sub-directories
    };

    // Entries of the directory at the given offset, named ones first, in
    // file order; at most limit of them.
    std::vector<Entry> entries(std::uint32_t offset, int limit = kMaxEntries) {
        std::vector<Entry> out;
        if (!fits(base_ + offset, 16, file_.size()) || !visited_.insert(offset).second) return out;
        const int named = readLe16(file_, base_ + offset + 12);
        const int numbered = readLe16(file_, base_ + offset + 14);
        const int total = std::min({named + numbered, limit, kMaxEntriesInAll - entriesRead_});
        for (int i = 0; i < total; ++i) {
            const std::uint64_t at = base_ + offset + 16 + std::uint64_t(i) * 8;
            if (!fits(at, 8, file_.size())) break;
            ++entriesRead_;
            Entry e;
            const std::uint32_t nameField = readLe32(file_, at);
            e.target = readLe32(file_, at + 4);
            if (nameField & kSubdirectoryBit) {
                e.named = true;
                e.name = upperName(nameField & ~kSubdirectoryBit);
            } else {
                e.id = nameField;
            }
            out.push_back(std::move(e));
        }
        return out;
    }

    // The bytes of the first language of a resource whose entry is e.
    std::optional<std::vector<std::uint8_t>> data(const Entry& e) {
        std::uint32_t target = e.target;
        for (int depth = 0; depth < 4 && (target & kSubdirectoryBit); ++depth) {
            const auto languages = entries(target & ~kSubdirectoryBit, 1);
            if (languages.empty()) return std::nullopt;
            target = languages.front().target;
        }
        if (target & kSubdirectoryBit) return std::nullopt;
        if (!fits(base_ + target, 16, file_.size())) return std::nullopt;
        const std::uint32_t rva = readLe32(file_, base_ + target);
        const std::uint32_t size = readLe32(file_, base_ + target + 4);
        const auto offset = rvaToOffset_(rva);
        if (!offset || !fits(*offset, size, file_.size())) return std::nullopt;
        if (size > kMaxResourceBytes - bytesCopied_) return std::nullopt;
        bytesCopied_ += size;
        const auto bytes = file_.subspan(*offset, size);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }

private:
    // Longer names than any looked for keep one character more than the
    // limit, so they match none of them.
    std::string upperName(std::uint32_t offset) const {
        std::string name;
        if (!fits(base_ + offset, 2, file_.size())) return name;
        const std::size_t length = std::min<std::size_t>(readLe16(file_, base_ + offset), kMaxNameChars + 1);
        for (std::size_t i = 0; i < length; ++i) {
            const std::uint64_t at = base_ + offset + 2 + std::uint64_t(i) * 2;
            if (!fits(at, 2, file_.size())) break;
            const std::uint16_t c = readLe16(file_, at);
            name += c < 128 ? static_cast<char>(std::toupper(c)) : '?';
        }
        return name;
    }

    std::span<const std::uint8_t> file_;
    std::uint64_t base_;
    std::function<std::optional<std::uint64_t>(std::uint32_t)> rvaToOffset_;
    std::set<std::uint32_t> visited_;
    int entriesRead_ = 0;
    std::uint64_t bytesCopied_ = 0;
};

bool isPluginResourceType(const std::string& name) { return name == "PIPL" || name == "PIMI" || name == "_8BFM"; }

}  // namespace

std::optional<ModuleResources> readPeResources(std::span<const std::uint8_t> file) {
    const auto layout = PeLayout::read(file);
    if (!layout) return std::nullopt;
    ModuleResources resources;
    resources.kind = layout->kind();
    if (const auto imports = readPeImports(file)) {
        resources.importedLibraries = imports->libraries;
        resources.dotNetAssembly = imports->dotNetAssembly;
    }
    constexpr int kResourceDirectory = 2;
    const auto resourceDirectory = layout->directory(kResourceDirectory);
    if (!resourceDirectory) return resources;  // no resources at all
    auto rvaToOffset = [&layout](std::uint32_t rva) { return layout->fileOffset(rva); };
    const auto base = rvaToOffset(resourceDirectory->rva);
    if (!base) return resources;
    ResourceDirectory directory(file, *base, rvaToOffset);

    for (const auto& type : directory.entries(0)) {
        if (!type.named || !(type.target & kSubdirectoryBit) || !isPluginResourceType(type.name)) continue;
        const std::uint32_t typeOffset = type.target & ~kSubdirectoryBit;
        for (const auto& resource : directory.entries(typeOffset)) {
            auto bytes = directory.data(resource);
            if (!bytes) continue;
            if (type.name == "PIPL") {
                resources.pipls.push_back(std::move(*bytes));
            } else if (type.name == "PIMI" && !resource.named) {
                resources.legacyInfo[resource.id] = std::move(*bytes);
            } else if (type.name == "_8BFM" && !resource.named) {
                resources.legacyNames[resource.id] = std::move(*bytes);
            }
        }
    }
    return resources;
}

std::optional<ModuleResources> readModuleResources(const std::string& path) {
    // Modules are small; anything far larger is not one we read.
    constexpr std::streamoff kLargestModule = 512LL << 20;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kLargestModule) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    if (auto elf = readElfResources(bytes)) return elf;
    return readPeResources(bytes);
}

}  // namespace mugwarp
