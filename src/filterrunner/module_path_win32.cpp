#include <windows.h>

#include "filterproc/wine_paths.h"
#include "filterrunner/module_path.h"

namespace mugwarp::filterrunner {

std::string localModulePath(const std::string& editorPath) { return filterproc::windowsPathOf(editorPath); }

// The editor's X window means nothing to Windows code; a filter with a
// display gets the desktop as its dialogs' owner.
std::intptr_t platformWindowFor(std::uint64_t editorWindow) {
    return editorWindow ? reinterpret_cast<std::intptr_t>(GetDesktopWindow()) : 0;
}

}  // namespace mugwarp::filterrunner
