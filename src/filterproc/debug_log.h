#pragma once
#include <string>

namespace mugwarp::filterproc {

// MUGWARP_DEBUG_FILTERS=1: runners show their own messages and the editor
// tells on standard error how it starts them.
bool debuggingFilters();
void debugLine(const std::string& text);

}  // namespace mugwarp::filterproc
