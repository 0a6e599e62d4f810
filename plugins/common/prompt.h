#pragma once
#include <cstdint>

namespace filters {

enum class Prompt { Chosen, Cancelled, NoDisplay };

// Asks for a whole number in a small dialog over the given window. Without a
// display (no window, or not a window program) nothing is shown and the value
// stays as it is, so a run never waits for a dialog nobody can see.
Prompt askInteger(std::intptr_t parentWindow, const char* title, const char* label, int& value, int low, int high);

}  // namespace filters
