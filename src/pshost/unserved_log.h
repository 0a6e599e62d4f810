#pragma once
#include <string>

namespace mugwarp {

// With MUGWARP_DEBUG_FILTERS=1, a service a filter asked for and did not get
// (a suite by name and version, a property key) is written once to standard
// error, which the runner passes on then, so compatibility can be measured.
void logUnserved(const std::string& what);

}  // namespace mugwarp
