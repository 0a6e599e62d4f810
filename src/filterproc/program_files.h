#pragma once
#include <string>

namespace mugwarp::filterproc {

// Where the programs' shipped files are, relative to the folder of the running
// executable, never to where it was built: PREFIX/bin holds the programs,
// PREFIX/share/mugwarp the data (help, clipart), PREFIX/lib/mugwarp/plugins the
// sample filters and PREFIX/libexec/mugwarp the filter runners. A build tree
// carries the same folders at its top (linked to the sources and build
// outputs), so a program built one or two folders below finds its files the
// same way.

// PREFIX: the nearer of the executable folder's parent and grandparent that
// holds libexec/mugwarp, else the parent.
std::string programPrefix(const std::string& executableDir);

// The folder of the running executable ("." when it cannot be told).
std::string executableDirectory();

std::string shippedDataFolder(const std::string& executableDir);
std::string shippedPluginFolder(const std::string& executableDir);
std::string shippedRunnerFolder(const std::string& executableDir);

}  // namespace mugwarp::filterproc
