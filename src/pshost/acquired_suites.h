#pragma once
#include <cstdint>

namespace mugwarp {

// The suites the basic suite's acquire hands out, by name and version: the
// buffer and handle suites (the suite forms of what the record offers), the
// UI hooks and the basic suite itself. Nothing for any other (the caller logs
// it and answers that the host lacks it).
const void* findSuite(const char* name, std::int32_t version);

}  // namespace mugwarp
