#include "filterapply/filter_settings_file.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>

#include "formats/crc32.h"
#include "pshost/byte_access.h"
#include "pshost/descriptor.h"
#include "pshost/pipl_manager.h"

namespace mugwarp {

namespace {

constexpr std::uint8_t kMagic[4] = {'M', 'W', 'F', 'S'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kMaxPathBytes = 4096;
constexpr std::size_t kMaxNameBytes = 255;

void putBytes(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    appendLe32(out, std::uint32_t(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}
void putText(std::vector<std::uint8_t>& out, const std::string& text) {
    putBytes(out, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}
void putPart(std::vector<std::uint8_t>& out, const std::optional<std::vector<std::uint8_t>>& part) {
    out.push_back(part ? 1 : 0);
    if (part) putBytes(out, *part);
}

// Reads fields in order; any read past the end or over a limit makes it fail
// for good, so the parser checks once at the end.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    bool failed() const { return failed_; }
    std::size_t position() const { return at_; }

    std::uint32_t u32() { return take(4) ? readLe32(b_, at_ - 4) : 0; }
    std::uint64_t u64() { return take(8) ? readLe64(b_, at_ - 8) : 0; }
    std::uint8_t u8() { return take(1) ? b_[at_ - 1] : 0; }
    std::vector<std::uint8_t> bytes(std::size_t limit) {
        const std::uint32_t n = u32();
        if (failed_ || n > limit || !take(n)) {
            failed_ = true;
            return {};
        }
        return {b_.begin() + std::ptrdiff_t(at_ - n), b_.begin() + std::ptrdiff_t(at_)};
    }
    std::string text(std::size_t limit) {
        const std::vector<std::uint8_t> b = bytes(limit);
        return {b.begin(), b.end()};
    }

private:
    bool take(std::size_t n) {
        if (failed_ || !fits(at_, n, b_.size())) {
            failed_ = true;
            return false;
        }
        at_ += n;
        return true;
    }
    std::span<const std::uint8_t> b_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

std::string describe(const ModuleIdentity& m) {
    return m.path + " (" + std::to_string(m.size) + " bytes)";
}

}  // namespace

ModuleIdentity identityOf(const PIPLManager& entry) {
    return identityOf(entry.fileName, entry.getCategory(), entry.getName());
}

ModuleIdentity identityOf(const std::string& modulePath, const std::string& category, const std::string& name) {
    ModuleIdentity m;
    std::error_code error;
    const auto absolute = std::filesystem::weakly_canonical(modulePath, error);
    m.path = error ? modulePath : absolute.string();
    struct stat info {};
    if (::stat(m.path.c_str(), &info) == 0) {
        m.size = std::uint64_t(info.st_size);
        m.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
    m.category = category;
    m.name = name;
    return m;
}

std::string mismatchBetween(const ModuleIdentity& saved, const ModuleIdentity& current) {
    if (saved.path != current.path || saved.category != current.category || saved.name != current.name)
        return "they are for another module, " + saved.category + "/" + saved.name + " in " + saved.path;
    if (saved.size != current.size || saved.modifiedNs != current.modifiedNs)
        return "they are from another build of the module: " + describe(saved) + " has changed since";
    return {};
}

std::vector<std::uint8_t> encodeSettingsFile(const SavedFilterSettings& saved) {
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    appendLe32(out, kVersion);
    putText(out, saved.module.path);
    appendLe64(out, saved.module.size);
    appendLe64(out, std::uint64_t(saved.module.modifiedNs));
    putText(out, saved.module.category);
    putText(out, saved.module.name);
    putPart(out, saved.settings.parameters);
    putPart(out, saved.settings.descriptor);
    appendLe32(out, crc32(out));
    return out;
}

std::optional<SavedFilterSettings> parseSettingsFile(std::span<const std::uint8_t> bytes, std::string* problem) {
    const auto fail = [&](const char* why) -> std::optional<SavedFilterSettings> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    if (bytes.size() < 12 || !std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin()))
        return fail("not a filter settings file");
    if (readLe32(bytes, 4) != kVersion) return fail("a settings file of another version");
    if (crc32(bytes.first(bytes.size() - 4)) != readLe32(bytes, bytes.size() - 4)) return fail("damaged (checksum)");
    Reader r(bytes.first(bytes.size() - 4));
    r.u32();
    r.u32();
    SavedFilterSettings s;
    s.module.path = r.text(kMaxPathBytes);
    s.module.size = r.u64();
    s.module.modifiedNs = std::int64_t(r.u64());
    s.module.category = r.text(kMaxNameBytes);
    s.module.name = r.text(kMaxNameBytes);
    const std::size_t limits[] = {kMaxParameterBlockBytes, kMaxDescriptorBytes};
    std::optional<std::vector<std::uint8_t>>* parts[] = {&s.settings.parameters, &s.settings.descriptor};
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t present = r.u8();
        if (present > 1) return fail("damaged (settings part)");
        if (present) *parts[i] = r.bytes(limits[i]);
    }
    if (r.failed() || r.position() != bytes.size() - 4) return fail("damaged (length)");
    if (s.settings.descriptor && !parseDescriptor(*s.settings.descriptor)) return fail("damaged (descriptor)");
    return s;
}

}  // namespace mugwarp
