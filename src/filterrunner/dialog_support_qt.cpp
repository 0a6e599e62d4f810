#include <QApplication>

#include <cstdint>
#include <memory>

// The runner's Qt, loaded by dialog_support_loaded.cpp only for a run that can
// show a dialog: native sample filters ask through Qt dialogs, which want an
// application object in the process.
extern "C" __attribute__((visibility("default"))) void mugwarp_prepare_dialogs() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "mugwarp-filter-runner";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application = std::make_unique<QApplication>(argc, argv);
}
