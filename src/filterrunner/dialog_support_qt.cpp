#include <QApplication>

#include <cstdlib>
#include <memory>

#include "filterrunner/dialog_support.h"

namespace mugwarp::filterrunner {

void prepareDialogs(std::uint64_t editorWindow) {
    if (editorWindow == 0 || QCoreApplication::instance()) return;
    // Without any display Qt would end the process; the filter then takes its defaults.
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    if (!display) return;
    static int argc = 1;
    static char name[] = "mugwarp-filter-runner";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application = std::make_unique<QApplication>(argc, argv);
}

}  // namespace mugwarp::filterrunner
