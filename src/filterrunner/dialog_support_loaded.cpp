#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "filterrunner/dialog_support.h"

namespace mugwarp::filterrunner {

namespace {

// Beside this program, as built and as installed.
std::string dialogsLibraryPath() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "mugwarp-runner-dialogs.so";
    std::string path(self, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/') + 1) + "mugwarp-runner-dialogs.so";
}

using PrepareDialogs = void (*)();

PrepareDialogs loadDialogs() {
    const std::string path = dialogsLibraryPath();
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* prepare = library ? ::dlsym(library, "mugwarp_prepare_dialogs") : nullptr;
    if (!prepare) {
        std::fprintf(stderr, "mugwarp-filter-runner: no dialogs (%s): %s\n", path.c_str(), ::dlerror());
        return nullptr;
    }
    return reinterpret_cast<PrepareDialogs>(prepare);
}

}  // namespace

// Qt (a good part of a runner's start) is loaded only when a dialog can be
// shown: a run without the editor's window or without any display (the
// command line, a batch) never needs it, and without a display Qt would end
// the process anyway; the filter then takes its defaults.
void prepareDialogs(std::uint64_t editorWindow) {
    if (editorWindow == 0) return;
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (!display) return;
    static const PrepareDialogs prepare = loadDialogs();
    if (prepare) prepare();
}

}  // namespace mugwarp::filterrunner
