#include "app/picture_printing.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include "edit/print_layout.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

const QString kJobName = QStringLiteral("Mugwarp Studio 3.0");

// Aborts the job unless it was finished: a half-sent page must not print.
class PrintJob {
public:
    PrintJob(QPrinter& printer, QPainter& painter) : printer_(printer), painter_(painter) {}
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;
    ~PrintJob() {
        if (!painter_.isActive()) return;
        printer_.abort();
        painter_.end();
    }
    void finish() {
        if (!painter_.end()) throw Error("The printer could not finish the print job");
    }

private:
    QPrinter& printer_;
    QPainter& painter_;
};

}  // namespace

std::unique_ptr<QPrinter> defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty()) throw Error("No printer is installed");
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) throw Error("The printer \"" + info.printerName().toStdString() + "\" cannot be used");
    return printer;
}

QString printerLabel(const QPrinter& printer) {
    if (!printer.printerName().isEmpty()) return printer.printerName();
    return QDir::toNativeSeparators(printer.outputFileName());
}

void printPicture(QPrinter& printer, const PixelSurface& display, const OverlayStack& overlays) {
    const PixelSurface page = composePrintPicture(display, overlays);
    printer.setDocName(kJobName);
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString name = printer.printerName();
        throw Error(name.isEmpty() ? std::string("No printer is installed")
                                   : "The printer \"" + name.toStdString() + "\" could not start the print job");
    }
    PrintJob job(printer, painter);
    const Rect pageRect{0, 0, printer.width(), printer.height()};
    const Rect target = fitRectKeepingAspect(page.bounds(), pageRect, Rect{});
    for (const Rect& tile : printTiles(target)) {
        const PixelSurface part = renderPrintTile(page, target, tile);
        const QImage image(reinterpret_cast<const uchar*>(part.bits()), part.width(), part.height(),
                           part.width() * 4, QImage::Format_RGB32);
        painter.drawImage(QPoint(tile.left, tile.top), image);
    }
    job.finish();
}

}  // namespace mugwarp
