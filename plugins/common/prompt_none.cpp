#include "prompt.h"

namespace filters {

Prompt askInteger(std::intptr_t, const char*, const char*, int&, int, int) { return Prompt::NoDisplay; }

}  // namespace filters
