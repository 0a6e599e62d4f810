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

}  // namespace mugwarp::filterproc
