#pragma once
#include <string>

namespace mugwarp::filterproc {

// The editor names files by their Linux paths; Wine shows the Linux root as
// drive Z:, so "/tmp/a.8bf" is "Z:\tmp\a.8bf" to a Windows program.
// Paths that already carry a drive letter are kept.
std::string windowsPathOf(const std::string& linuxPath);

}  // namespace mugwarp::filterproc
