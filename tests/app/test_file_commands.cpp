#include <QAction>
#include <QFileInfo>

#include "app_test_support.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

QImage loadBack(const QString& path) {
    PixelSurface surface;
    surface.assign(loadPicture(path.toStdString()));
    return imageFromSurface(surface);
}

int largestChannelError(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

double meanChannelError(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// Opens the sample and gives it one Putty stroke, so saves write a deformed picture.
void openAndWarp(TestWindow& w) {
    QVERIFY(w->openPicture(samplePortrait()));
    w->actions().putty->trigger();
    press(w->view(), QPoint(250, 250), Qt::LeftButton);
    moveHeld(w->view(), QPoint(280, 260), Qt::LeftButton);
    release(w->view(), QPoint(280, 260), Qt::LeftButton);
}

QByteArray fileStart(const QString& path, int length) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(length);
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    static void chooseSave(TestWindow& w, const QString& path) {
        w->setSaveFileChooser([path](QWidget*, const QString&) { return path; });
    }

private slots:
    void saveAsBmpWritesTheDisplayExactly() {
        TestWindow w;
        openAndWarp(w);
        const QImage shown = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("face.bmp"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"face.bmp\""));
        QCOMPARE(QString::fromStdString(w->document().documentFileName()), path);
        QCOMPARE(loadBack(path), shown.convertToFormat(QImage::Format_ARGB32));
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
        QVERIFY(!w->view()->brushOutlineVisible());
    }

    void saveWritesToTheDocumentNameAgain() {
        TestWindow w;
        openAndWarp(w);
        const QString path = dir_.filePath(QStringLiteral("again.bmp"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QFile::remove(path);
        w->actions().warp->trigger();
        press(w->view(), QPoint(100, 100), Qt::LeftButton);
        moveHeld(w->view(), QPoint(110, 100), Qt::LeftButton);
        release(w->view(), QPoint(110, 100), Qt::LeftButton);
        const QImage shown = displayImage(*w);
        w->actions().save->trigger();
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(loadBack(path), shown);
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"again.bmp\""));
    }

    void saveAsJpegAndJpegKeepTheSavedPictureForUndo() {
        for (const QString& name : {QStringLiteral("face.jpg"), QStringLiteral("face2.JPEG")}) {
            TestWindow w;
            openAndWarp(w);
            const QImage shown = displayImage(*w);
            const QString path = dir_.filePath(name);
            chooseSave(w, path);
            w->actions().saveAs->trigger();
            QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
            QCOMPARE(fileStart(path, 3), QByteArray("\xFF\xD8\xFF"));
            const QImage back = loadBack(path);
            QCOMPARE(back.size(), shown.size());
            QVERIFY(meanChannelError(back, shown) < 4.0);
            // Saving keeps the history: Undo takes the stroke back.
            w->actions().undo->trigger();
            QVERIFY(displayImage(*w) != shown);
        }
    }

    void saveAsGifReloadsTheWrittenPicture() {
        TestWindow w;
        openAndWarp(w);
        const QImage shown = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("face.gif"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
        QCOMPARE(fileStart(path, 6), QByteArray("GIF89a"));
        QCOMPARE(QString::fromStdString(w->document().pictureFileName()), path);
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"face.gif\""));
        const GifPicture gif = loadGifPicture(path.toStdString());
        QCOMPARE(gif.composite.width(), 512);
        QCOMPARE(gif.composite.height(), 512);
        // The document now is the colour-reduced picture just written.
        const QImage reloaded = displayImage(*w);
        QVERIFY(largestChannelError(reloaded, shown) > 0);
        QVERIFY(meanChannelError(reloaded, shown) < 12.0);
        for (int i = 0; i < 50; ++i) {
            const int x = (i * 97) % 512, y = (i * 53) % 512;
            QCOMPARE(reloaded.pixel(x, y) & 0xFFFFFF, QRgb(gif.composite.pixelArgb(x, y)) & 0xFFFFFF);
        }
        QCOMPARE(w->document().deformation().width(), 512);
    }

    void saveAsPdfLeavesNoTemporaryFile() {
        TestWindow w;
        openAndWarp(w);
        const QImage shown = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("face.pdf"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
        QCOMPARE(fileStart(path, 5), QByteArray("%PDF-"));
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("111")));
        w->actions().undo->trigger();
        QVERIFY(displayImage(*w) != shown);
    }

    void savingDrawsTheOverlaysIntoThePicture() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        PixelSurface sticker(4, 4);
        sticker.fillRect(sticker.bounds(), 0xFF00FF00);
        sticker.setDrawMode(DrawMode::Blend);
        // Edges are truncated toward zero: 10.9 -> 10, 18.7 -> 18.
        w->overlays().add(Overlay{FloatRect{10.9f, 20.2f, 18.7f, 28.99f}, sticker});
        const QImage before = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("sticker.bmp"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY(w.errors.isEmpty());
        const QImage written = loadBack(path);
        for (int y = 15; y < 35; ++y)
            for (int x = 5; x < 25; ++x) {
                const bool inside = x >= 10 && x < 18 && y >= 20 && y < 28;
                QCOMPARE(written.pixel(x, y), inside ? QRgb(0xFF00FF00) : before.pixel(x, y));
            }
        QCOMPARE(w->overlays().size(), std::size_t(1));
    }

    void warpingKeepsTheOverlaysForTheSave() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        PixelSurface sticker(4, 4);
        sticker.fillRect(sticker.bounds(), 0xFF00FF00);
        sticker.setDrawMode(DrawMode::Blend);
        w->overlays().add(Overlay{FloatRect{10.0f, 20.0f, 18.0f, 28.0f}, sticker});
        w->actions().putty->trigger();
        QCOMPARE(w->overlays().size(), std::size_t(1));
        const QString path = dir_.filePath(QStringLiteral("kept.bmp"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(loadBack(path).pixel(12, 22), QRgb(0xFF00FF00));
        QCOMPARE(w->overlays().size(), std::size_t(1));
    }

    void reloadOfAnUnreadableFileKeepsPictureAndZoom() {
        const QString path = dir_.filePath(QStringLiteral("reloaded.jpg"));
        QFile::remove(path);
        QVERIFY(QFile::copy(samplePortrait(), path));
        TestWindow w;
        QVERIFY(w->openPicture(path));
        w->actions().zoomIn->trigger();
        const QImage shown = displayImage(*w);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(fileStart(samplePortrait(), 300));
        file.close();
        w->actions().reload->trigger();
        QCOMPARE(w.errors.size(), 1);
        QCOMPARE(w->zoomPercent(), 120);
        QCOMPARE(w->view()->size(), QSize(614, 614));
        QCOMPARE(displayImage(*w), shown);
        // The next step goes on from the zoom that is shown.
        w->actions().zoomIn->trigger();
        QCOMPARE(w->zoomPercent(), 140);
    }

    void saveAsWithoutExtensionWritesABitmap() {
        TestWindow w;
        openAndWarp(w);
        const QImage shown = displayImage(*w);
        const QString path = dir_.filePath(QStringLiteral("plain"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QVERIFY(w.errors.isEmpty());
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(loadBack(path + QStringLiteral(".bmp")), shown);
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"plain.bmp\""));
    }

    void unsupportedExtensionIsRefusedWithAMessage() {
        TestWindow w;
        openAndWarp(w);
        const QString title = shownTitle(*w);
        const QString path = dir_.filePath(QStringLiteral("face.tiff"));
        chooseSave(w, path);
        w->actions().saveAs->trigger();
        QCOMPARE(w.errors, QStringList{QStringLiteral("Unknown picture file extension (.tiff)")});
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(shownTitle(*w), title);
        QCOMPARE(QString::fromStdString(w->document().documentFileName()), samplePortrait());
        // The window goes on working.
        QVERIFY(w->openPicture(samplePortrait()));
    }

    void cancellingSaveAsWritesNothing() {
        TestWindow w;
        openAndWarp(w);
        const QString title = shownTitle(*w);
        w->actions().saveAs->trigger();
        QCOMPARE(shownTitle(*w), title);
        QVERIFY(w.errors.isEmpty());
    }

    // A PNG's transparent corner is laid on the document's outer colour; a
    // picture opened from a photo keeps its EXIF in a JPEG save only while
    // File > "Keep photo information when saving" is ticked.
    void pngOpensAndPhotoInformationFollowsTheSetting() {
        TestWindow w;
        PixelSurface picture(20, 10);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x) picture.row(y)[x] = 0xFF336699;
        picture.row(0)[0] = 0x00000000;
        const QString png = dir_.filePath(QStringLiteral("web.jpg"));  // a PNG saved under a JPEG name
        savePicture(picture, (png + QStringLiteral(".png")).toStdString(), kDefaultKeyColor);
        QVERIFY(QFile::rename(png + QStringLiteral(".png"), png));
        QVERIFY(w->openPicture(png));
        QCOMPARE(w->document().display().pixel(0, 0) | 0xFF000000u, 0xFFFDFEFFu);
        QCOMPARE(w->document().display().pixel(5, 5), 0xFF336699u);

        PhotoInfo info;
        info.exif = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x0F, 0x01, 2, 0, 4, 0, 0, 0, 'A', 'c', 'm', 0, 0, 0, 0, 0};
        SaveOptions keep;
        keep.photoInfo = &info;
        const QString photo = dir_.filePath(QStringLiteral("camera.jpg"));
        savePicture(picture, photo.toStdString(), kDefaultKeyColor, keep);
        QVERIFY(w->openPicture(photo));
        QAction* setting = w->findChild<QAction*>(QStringLiteral("keepPhotoInformation"));
        QVERIFY(setting);
        QVERIFY(setting->isChecked());
        for (const bool on : {true, false}) {
            setting->setChecked(on);
            const QString out = dir_.filePath(on ? QStringLiteral("kept.jpg") : QStringLiteral("bare.jpg"));
            chooseSave(w, out);
            w->actions().saveAs->trigger();
            QVERIFY2(w.errors.isEmpty(), qPrintable(w.errors.join('\n')));
            QCOMPARE(readPictureFile(out.toStdString()).info.exif.empty(), !on);
        }
        setting->setChecked(true);
    }

    void damagedFileLeavesTheOpenPictureUntouched() {
        TestWindow w;
        openAndWarp(w);
        const QImage shown = displayImage(*w);
        const QString title = shownTitle(*w);
        const QString damaged = dir_.filePath(QStringLiteral("damaged.jpg"));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileStart(samplePortrait(), 300));
        file.close();
        QVERIFY(!w->openPicture(damaged));
        QCOMPARE(w.errors.size(), 1);
        // Named, and in words rather than a library's error number.
        QVERIFY2(w.errors.first().startsWith(QStringLiteral("Cannot open damaged.jpg: JPEG data damaged: ")),
                 qPrintable(w.errors.first()));
        QVERIFY(!w.errors.first().contains(QLatin1Char('#')));
        QCOMPARE(displayImage(*w), shown);
        QCOMPARE(shownTitle(*w), title);
        QCOMPARE(QString::fromStdString(w->document().documentFileName()), samplePortrait());
        QCOMPARE(QString::fromStdString(w->document().pictureFileName()), samplePortrait());
        QCOMPARE(w->zoomPercent(), 100);
    }

    void errorsFromTheMenuAreReportedOnce() {
        TestWindow w;
        w->setOpenFileChooser([this](QWidget*, const QString&) { return dir_.filePath(QStringLiteral("missing.bmp")); });
        w->actions().open->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(!w->document().pictureLoaded());
        QCOMPARE(shownTitle(*w), MainWindow::kStartTitle);
    }

    void droppingAFileOpensIt() {
        TestWindow w;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(samplePortrait())});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&*w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&*w, &drop);
        QTRY_VERIFY(w->document().pictureLoaded());  // opened once the drop is over
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"portrait.jpg\""));
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<FileCommandsTest>(argc, argv); }

#include "test_file_commands.moc"
