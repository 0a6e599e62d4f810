#pragma once
#include <span>

#include "edit/recovery_file.h"

namespace mugwarp {

// Reads a recovery copy in the format editors wrote before recovery copies
// became project files, so that a copy left by an older editor is still
// offered after an upgrade. Layout: see docs/project-format.md.
RecoverySnapshot unpackLegacyRecovery(std::span<const std::uint8_t> bytes);

}  // namespace mugwarp
