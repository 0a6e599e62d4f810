#pragma once
#include <cstdint>

namespace mugwarp::filterrunner {

// Makes ready what a module needs to show its own dialog when the editor has
// a window for it (editorWindow != 0): native sample filters ask through Qt,
// which wants an application object in this process. Nothing without a window.
void prepareDialogs(std::uint64_t editorWindow);

}  // namespace mugwarp::filterrunner
