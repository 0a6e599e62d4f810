#include "prompt.h"

namespace filters {

Prompt askInteger(std::intptr_t, const char*, const char*, int&, int, int, const Preview&) { return Prompt::NoDisplay; }

}  // namespace filters
