#include "filterrunner/module_path.h"

namespace mugwarp::filterrunner {

std::string localModulePath(const std::string& editorPath) { return editorPath; }

std::intptr_t platformWindowFor(std::uint64_t editorWindow) { return static_cast<std::intptr_t>(editorWindow); }

}  // namespace mugwarp::filterrunner
