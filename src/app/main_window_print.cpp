#include <QGuiApplication>
#include <QPrinter>

#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/picture_printing.h"
#include "app/status_line.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

// The hourglass for the whole command, taken down on every way out.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

void MainWindow::print() {
    // Nothing to print must not become a blank sheet reported as sent.
    if (!document_.pictureLoaded()) throw Error("There is no picture to print.");
    // The selection frame is not part of the picture.
    overlayController_->setSelection(std::nullopt);
    const WaitCursor wait;
    const std::unique_ptr<QPrinter> printer = printerFor_();
    printPicture(*printer, document_.display(), overlays_);
    status_->tell(QStringLiteral("Sent to printer ") + printerLabel(*printer));
}

}  // namespace mugwarp
