#include "pshost/unserved_log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace mugwarp {

void logUnserved(const std::string& what) {
    const char* debug = std::getenv("MUGWARP_DEBUG_FILTERS");
    if (!debug || std::strcmp(debug, "1") != 0) return;
    static std::set<std::string> logged;  // process-wide: each once
    if (!logged.insert(what).second) return;
    std::fprintf(stderr, "mugwarp filter host: not served: %s\n", what.c_str());
    std::fflush(stderr);
}

}  // namespace mugwarp
