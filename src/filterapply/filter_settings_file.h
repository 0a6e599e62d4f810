#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pshost/filter_settings.h"

namespace mugwarp {

class PIPLManager;

// Which filter settings belong to: its module file as it was when they were
// saved, and the filter's category and name from its PiPL.
struct ModuleIdentity {
    std::string path;            // absolute
    std::uint64_t size = 0;      // bytes
    std::int64_t modifiedNs = 0; // modification time, nanoseconds since 1970
    std::string category;
    std::string name;
    bool operator==(const ModuleIdentity&) const = default;
};

// The identity of the entry's module as it is on disk now.
ModuleIdentity identityOf(const PIPLManager& entry);
ModuleIdentity identityOf(const std::string& modulePath, const std::string& category, const std::string& name);

// Empty when settings saved for `saved` belong to `current`; otherwise why not
// ("for another module ...", "from another build ...").
std::string mismatchBetween(const ModuleIdentity& saved, const ModuleIdentity& current);

struct SavedFilterSettings {
    ModuleIdentity module;
    FilterSettings settings;
};

// A settings file, all integers little-endian:
//   "MWFS"  u32 version (1)
//   text module path  u64 module size  i64 modification time (ns)
//   text category  text name
//   parameter block: u8 present [u32 length, bytes]
//   descriptor:      u8 present [u32 length, bytes of a Descriptor]
//   u32 CRC-32 of every byte before it
// where a text is u32 length + UTF-8 bytes. Paths are at most 4096 bytes,
// names 255, each settings part 256 KiB.
std::vector<std::uint8_t> encodeSettingsFile(const SavedFilterSettings& saved);
// Nothing when the bytes are not a settings file of this version; `problem`
// then says what is wrong. Safe on any bytes.
std::optional<SavedFilterSettings> parseSettingsFile(std::span<const std::uint8_t> bytes,
                                                     std::string* problem = nullptr);

}  // namespace mugwarp
