#pragma once
#include <cstdint>
#include <functional>

namespace filters {

enum class Prompt { Chosen, Cancelled, NoDisplay };

// What the value would do to the picture, drawn by the filter into the
// dialog's device context (a Windows HDC) in the given rectangle of it; it is
// drawn again whenever the value changes. Where dialogs have no device context
// (Qt), there is no preview.
using Preview = std::function<void(int value, void* context, int left, int top, int width, int height)>;

// Asks for a whole number in a small dialog over the given window, with a
// preview pane when one is given. Without a display (no window, or not a
// window program) nothing is shown and the value stays as it is, so a run
// never waits for a dialog nobody can see.
Prompt askInteger(std::intptr_t parentWindow, const char* title, const char* label, int& value, int low, int high,
                  const Preview& preview = {});

}  // namespace filters
