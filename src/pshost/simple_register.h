#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pshost/four_char_code.h"

namespace mugwarp {

// Display names of the codes of the plug-in world: property keys, module
// kinds and host signatures. Used to describe a plug-in's properties in words.
class SimpleRegister {
public:
    struct Row {
        FourCharCode key;
        std::uint8_t kind;
        std::string displayName;  // at most 255 characters
    };

    void registerCode(FourCharCode key, const std::string& displayName, std::uint8_t kind);
    const std::vector<Row>& rows() const { return rows_; }
    // The display name of a code, or empty.
    std::string displayName(FourCharCode key) const;

    // The process-wide register, filled with the known codes on first use; its
    // last row is the signature this host announces to filters.
    static const SimpleRegister& standard();

private:
    std::vector<Row> rows_;
};

// 'TSLY', the host signature handed to filters.
FourCharCode hostSignature();

extern const std::array<const char*, 10> kImageModeNames;
extern const std::array<const char*, 1> kExportFlagNames;
extern const std::array<const char*, 6> kFormatFlagNames;

}  // namespace mugwarp
