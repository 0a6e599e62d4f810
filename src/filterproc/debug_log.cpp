#include "filterproc/debug_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mugwarp::filterproc {

bool debuggingFilters() {
    const char* v = std::getenv("MUGWARP_DEBUG_FILTERS");
    return v && std::strcmp(v, "1") == 0;
}

void debugLine(const std::string& text) {
    if (debuggingFilters()) std::fprintf(stderr, "mugwarp: %s\n", text.c_str());
}

}  // namespace mugwarp::filterproc
