#pragma once
#include <cstdint>
#include <string>

namespace mugwarp::filterrunner {

// The module's path as this runner's loader names it.
std::string localModulePath(const std::string& editorPath);
// The parent window a filter's dialog gets, from the editor's window id
// (0: no display, and filters take their defaults).
std::intptr_t platformWindowFor(std::uint64_t editorWindow);

}  // namespace mugwarp::filterrunner
