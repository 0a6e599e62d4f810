#pragma once
#include <string>

#include "filterproc/runner_command.h"

namespace mugwarp::filterproc {

// A 64-bit Wine prefix made while 32-bit Wine was not installed has an empty
// drive_c/windows/syswow64: 32-bit programs then fail to load kernel32.dll.
// True only for such a prefix (a missing prefix, a 32-bit one or a complete
// one need nothing).
bool needsWow64Repair(const std::string& prefix);

// Fills syswow64 by updating the prefix with the 64-bit loader (about 16 s):
// its timestamp goes first, or the update thinks the prefix is current.
// `wine64` is started with the environment of `like`. Returns what went
// wrong, empty on success.
std::string repairWow64Prefix(const std::string& prefix, const std::string& wine64, const RunnerCommand& like);

// Readies the prefix before a runner starts in it. Two Wine programs started at
// once on a prefix that does not exist yet fail in one of them (two editors, or
// two batch jobs, on a first use), so the prefix is made by one `wineboot -i`
// while a lock beside it is held; the others wait for it and find it made.
// With `for32Bit`, an incomplete 64-bit prefix is also repaired under the lock.
// Returns what went wrong, empty on success.
std::string readyPrefix(const std::string& prefix, const std::string& wine64, const RunnerCommand& like, bool for32Bit);

}  // namespace mugwarp::filterproc
