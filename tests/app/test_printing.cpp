#include <QAction>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

#include "app/overlay_controller.h"
#include "app/picture_printing.h"
#include "app_test_support.h"
#include "formats/picture_io.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

constexpr Argb kBlue = 0xFF0000FF;
constexpr Argb kRed = 0xFFFF0000;

// Prints into a PDF whose page is exactly the printable area, size in points.
std::unique_ptr<QPrinter> pdfPrinter(const QString& path, QSizeF points, int dpi) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setResolution(dpi);
    printer->setFullPage(true);
    printer->setPageSize(QPageSize(points, QPageSize::Point));
    printer->setPageMargins(QMarginsF(0, 0, 0, 0));
    return printer;
}

QImage renderPdf(const QString& pdf, int dpi) {
    const QString stem = pdf + QStringLiteral("-page");
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf, stem});
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, Argb b) {
    return qAbs(qRed(a) - int(redOf(b))) < 40 && qAbs(qGreen(a) - int(greenOf(b))) < 40 &&
           qAbs(qBlue(a) - int(blueOf(b))) < 40;
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // A 50 x 50 picture: its left half erased, its right half blue; a red 10 x 10
    // clipart inserted at its centre and selected.
    void prepare(TestWindow& w) {
        PixelSurface picture(50, 50);
        picture.fillRect({25, 0, 50, 50}, kBlue);
        const QString path = dir_.filePath(QStringLiteral("half.bmp"));
        savePicture(picture, path.toStdString(), kDefaultKeyColor);
        QVERIFY(w->openPicture(path));
        PixelSurface sticker(10, 10);
        sticker.fillRect(sticker.bounds(), kRed);
        const QString clip = dir_.filePath(QStringLiteral("red.bmp"));
        savePicture(sticker, clip.toStdString(), kDefaultKeyColor);
        w->setOpenFileChooser([clip](QWidget*, const QString&) { return clip; });
        w->insertClipart();
        QVERIFY(w->overlayController().selection());
    }

private slots:
    void printsFittedOnWhiteWithOverlaysAsShown() {
        TestWindow w;
        prepare(w);
        const QString pdf = dir_.filePath(QStringLiteral("page.pdf"));
        w->setPrinterProvider([&] { return pdfPrinter(pdf, QSizeF(100, 200), 72); });
        w->actions().print->trigger();
        QVERIFY(w.errors.isEmpty());
        QVERIFY(!w->overlayController().selection());
        QVERIFY(!QGuiApplication::overrideCursor());
        // 50 x 50 on 100 x 200: full width, centred from y = 50; twice the size.
        const QImage page = renderPdf(pdf, 72);
        QCOMPARE(page.size(), QSize(100, 200));
        QVERIFY(near(page.pixel(50, 20), 0xFFFFFFFF));   // margin
        QVERIFY(near(page.pixel(10, 100), 0xFFFFFFFF));  // erased: paper white, not black
        QVERIFY(near(page.pixel(90, 100), kBlue));
        QVERIFY(near(page.pixel(42, 92), kRed));         // overlay edge, no frame drawn
        QVERIFY(near(page.pixel(55, 105), kRed));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        info.waitForFinished();
        QVERIFY(info.readAllStandardOutput().contains("Mugwarp Studio 3.0"));

        // A warp tool hides the overlays: they are not printed either.
        w->actions().putty->trigger();
        w->actions().print->trigger();
        QVERIFY(near(renderPdf(pdf, 72).pixel(55, 105), kBlue));
    }

    void wideTargetsAreTiledWithoutGaps() {
        TestWindow w;
        prepare(w);
        const QString pdf = dir_.filePath(QStringLiteral("wide.pdf"));
        // 400 x 400 points at 300 dpi: 1667 device pixels, two tiles each way.
        w->setPrinterProvider([&] { return pdfPrinter(pdf, QSizeF(400, 400), 300); });
        w->print();
        QVERIFY(w.errors.isEmpty());
        const QImage page = renderPdf(pdf, 300);
        for (int x = 1015; x < 1035; ++x) QVERIFY2(near(page.pixel(x, 300), kBlue), qPrintable(QString::number(x)));
        for (int y = 1015; y < 1035; ++y) QVERIFY(near(page.pixel(1500, y), kBlue));
    }

    void printerFailuresAreReported() {
        TestWindow w;
        prepare(w);
        w->setPrinterProvider([&] { return pdfPrinter(QStringLiteral("/nonexistent/dir/x.pdf"), QSizeF(100, 100), 72); });
        w->actions().print->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(!QGuiApplication::overrideCursor());
        if (!QPrinterInfo::defaultPrinter().isNull()) QSKIP("this machine has a printer");
        w->setPrinterProvider(defaultPrinter);
        w->actions().print->trigger();
        QCOMPARE(w.errors.value(1), QStringLiteral("No printer is installed"));
    }

    // With no picture nothing reaches the printer: no blank sheet, no "Sent".
    void printingWithoutAPictureIsRefused() {
        TestWindow w;
        const QString pdf = dir_.filePath(QStringLiteral("nothing.pdf"));
        int printersAsked = 0;
        w->setPrinterProvider([&] {
            ++printersAsked;
            return pdfPrinter(pdf, QSizeF(100, 100), 72);
        });
        w->actions().print->trigger();
        QCOMPARE(w.errors, QStringList{QStringLiteral("There is no picture to print.")});
        QCOMPARE(printersAsked, 0);
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

int main(int argc, char** argv) { return runTests<PrintingTest>(argc, argv); }

#include "test_printing.moc"
