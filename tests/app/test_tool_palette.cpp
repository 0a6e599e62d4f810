#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/flat_view.h"
#include "app/image_size_dialog.h"
#include "app/number_edit.h"
#include "app/overlay_controller.h"
#include "app/palette_dock.h"
#include "app/tool_palette.h"
#include "app_test_support.h"
#include "document/flat_picture.h"
#include "support/document_checks.h"

using namespace mugwarp;
using namespace mugwarp::testing;
using B = ToolPalette::Button;
using test::deformationIsIdentity;

namespace {

void click(ToolPalette* palette, B which) { palette->button(which)->click(); }

// Erase press and release on the flat view at a view point.
void dab(MainWindow& w, QPoint p) {
    press(w.flatView(), p, Qt::LeftButton);
    release(w.flatView(), p, Qt::LeftButton);
}

QImage cursorImage(const QCursor& c) { return c.bitmap().toImage(); }

}  // namespace

class ToolPaletteTest : public QObject {
    Q_OBJECT
private slots:
    void paletteIsAFloatingToolsWindowShownAfterStartUp() {
        TestWindow w;
        ToolPalette* palette = w->toolPalette();
        QTRY_VERIFY(palette->isVisible());
        QCOMPARE(palette->windowTitle(), QStringLiteral("Tools"));
        QVERIFY(palette->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!palette->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QCOMPARE(palette->button(B::Erase)->geometry(), QRect(0, 96, 30, 30));
        QCOMPARE(palette->button(B::Clipart)->geometry(), QRect(32, 192, 30, 30));
        QCOMPARE(palette->sizeMenu()->actions().size(), 7);
        // The size pictures show their squares one to one.
        QCOMPARE(palette->sizeMenu()->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, palette->sizeMenu()), 32);
        QCOMPARE(palette->colour(), QColor(Qt::black));
        // Without a picture the flat tools do nothing; the arrow still runs.
        click(palette, B::Erase);
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
        click(palette, B::Arrow);
        QCOMPARE(w->viewMode(), MainWindow::ViewMode::Arrow);
    }

    void buttonsSelectToolsAndModes() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        ToolPalette* palette = w->toolPalette();
        using M = MainWindow::ViewMode;
        const struct { B button; ToolCode tool; M mode; } cases[] = {
            {B::Erase, ToolCode::Erase, M::Flat},     {B::Paint, ToolCode::Paint, M::Flat},
            {B::PickColour, ToolCode::PickColour, M::Flat}, {B::Crop, ToolCode::Crop, M::Flat},
            {B::Twirl, ToolCode::Twirl, M::Warp},     {B::Putty, ToolCode::Putty, M::Warp},
            {B::Warp, ToolCode::Warp, M::Warp},       {B::Arrow, ToolCode::Arrow, M::Arrow},
        };
        for (const auto& c : cases) {
            click(palette, c.button);
            QCOMPARE(w->document().currentTool(), c.tool);
            QCOMPARE(w->viewMode(), c.mode);
            QCOMPARE(w->flatView()->isVisible(), c.mode == M::Flat);
            QCOMPARE(w->warpSettingsBar()->isVisible(), c.mode == M::Warp);
        }
        click(palette, B::ZoomIn);
        QCOMPARE(w->zoomPercent(), 120);
        click(palette, B::Original);
        QCOMPARE(w->zoomPercent(), 100);

        // Erase while Erase is active does nothing, so undo still takes back the last square.
        const QImage before = displayImage(*w);
        click(palette, B::Erase);
        dab(*w, QPoint(100, 100));
        click(palette, B::Erase);
        w->undo();
        QCOMPARE(displayImage(*w), before);
    }

    void sizeItemsSetSquareAndCursorAndColourKeepsTheTool() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        ToolPalette* palette = w->toolPalette();
        const QList<QAction*> items = palette->sizeMenu()->actions();
        for (int i = 0; i < items.size(); ++i) {
            click(palette, B::Arrow);
            items[i]->trigger();
            QCOMPARE(w->document().eraseSize(), ToolPalette::kSquareSizes[std::size_t(i)].size);
            QCOMPARE(w->document().currentTool(), ToolCode::Erase);  // from the arrow tool: Erase
            QCOMPARE(cursorImage(w->view()->cursor()), cursorImage(w->cursors().cursor(i + 1)));
        }
        click(palette, B::Paint);
        items[0]->trigger();
        QCOMPARE(w->document().currentTool(), ToolCode::Paint);
        QCOMPARE(w->document().eraseSize(), 1);

        click(palette, B::Arrow);
        palette->setColourAsker([](QWidget*, const QColor&) { return QColor(10, 20, 30); });
        palette->colourMenu()->findChild<QAction*>(QStringLiteral("otherColour"))->trigger();
        QCOMPARE(w->document().paintColor(), PlatformColor(0x1E140A));
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
    }

    void eraseSquaresFollowTheZoomAndClipAndArrowKeepsThem() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->selectWarpTool(WarpTool::Twirl);
        press(w->view(), QPoint(300, 300), Qt::LeftButton);
        moveHeld(w->view(), QPoint(302, 300), Qt::LeftButton);
        release(w->view(), QPoint(302, 300), Qt::LeftButton);
        QVERIFY(!deformationIsIdentity(w->document()));

        w->selectFlatTool(ToolCode::Erase);
        dab(*w, QPoint(10, 20));  // zoom 100, size 26: a 27 x 27 square
        const PixelSurface& source = w->document().source();
        QCOMPARE(alphaOf(source.pixel(36, 46)), 0);
        QCOMPARE(alphaOf(source.pixel(37, 46)), 255);
        QCOMPARE(alphaOf(source.pixel(36, 47)), 255);
        dab(*w, QPoint(-5, 500));  // clipped at the left and bottom edges
        QCOMPARE(alphaOf(source.pixel(0, 511)), 0);
        QCOMPARE(alphaOf(source.pixel(26, 511)), 0);
        QCOMPARE(alphaOf(source.pixel(27, 511)), 255);
        QCOMPARE(flatRow(w->document().flatPicture(), 511)[26] & 0xFFFFFFu, 0xFFFFFFu);  // cell (5, 102): white

        w->zoomIn();
        w->zoomIn();
        w->zoomIn();
        w->zoomIn();
        w->zoomIn();
        QCOMPARE(w->zoomPercent(), 200);
        dab(*w, QPoint(400, 200));  // picture (200, 100), 14 x 14
        QCOMPARE(alphaOf(source.pixel(213, 113)), 0);
        QCOMPARE(alphaOf(source.pixel(214, 113)), 255);

        click(w->toolPalette(), B::Arrow);
        QVERIFY(deformationIsIdentity(w->document()));
        QCOMPARE(alphaOf(w->document().display().pixel(20, 30)), 0);
        QVERIFY(!w->flatView()->isVisible());
    }

    void pickOnAnErasedPlaceGivesTheCheckerboardAndPaint() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->selectFlatTool(ToolCode::Erase);
        dab(*w, QPoint(0, 0));
        w->selectFlatTool(ToolCode::PickColour);
        dab(*w, QPoint(2, 2));
        QCOMPARE(w->document().paintColor(), PlatformColor(0xB0B0B0));
        QCOMPARE(w->document().currentTool(), ToolCode::Paint);
        QCOMPARE(w->toolPalette()->colour(), QColor(176, 176, 176));
        w->selectFlatTool(ToolCode::PickColour);
        dab(*w, QPoint(7, 2));
        QCOMPARE(w->document().paintColor(), PlatformColor(0xFFFFFF));
    }

    void cropPreviewsDarkenedAndCropsWithUndo() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->zoomIn();
        click(w->toolPalette(), B::Crop);
        QCOMPARE(w->view()->cursor().shape(), Qt::CrossCursor);
        const Argb shown = flatRow(w->document().flatPicture(), 5)[5];
        FlatView* flat = w->flatView();
        press(flat, QPoint(12, 12), Qt::LeftButton);  // picture (10, 10) at 120 %
        moveHeld(flat, QPoint(72, 48), Qt::LeftButton);
        const LevelTable& dark = cropDarkening();
        QCOMPARE(flatRow(w->document().flatPicture(), 5)[5] & 0xFFu, Argb(dark[shown & 0xFF]));
        release(flat, QPoint(72, 48), Qt::LeftButton);
        QCOMPARE(w->document().pictureWidth(), 50);
        QCOMPARE(w->document().pictureHeight(), 30);
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->viewMode(), MainWindow::ViewMode::Arrow);
        QCOMPARE(w->view()->size(), QSize(50, 30));
        w->undo();
        QCOMPARE(w->document().pictureWidth(), 512);
        QCOMPARE(w->view()->size(), QSize(512, 512));
    }

    void imageSizeDialogLimitsAndConstraint() {
        TestWindow w;
        ImageSizeDialog* dialog = w->imageSizeDialog();
        dialog->prepare(640, 480);
        QCOMPARE(dialog->widthEdit()->minimum(), 64.0);
        QCOMPARE(dialog->heightEdit()->maximum(), 4800.0);
        QVERIFY(dialog->constrainBox()->isChecked());
        dialog->widthEdit()->setText(QStringLiteral("320"));
        QCOMPARE(dialog->chosenHeight(), 240);
        dialog->heightEdit()->setText(QStringLiteral("120"));
        QCOMPARE(dialog->chosenWidth(), 160);
        QCOMPARE(dialog->chosenHeight(), 120);
        dialog->widthEdit()->setText(QStringLiteral("99999"));
        QCOMPARE(dialog->chosenWidth(), 5000);
        QCOMPARE(dialog->heightEdit()->text(), QLocale().toString(3750));
        dialog->widthEdit()->setText(QStringLiteral("many"));
        QCOMPARE(dialog->chosenWidth(), 64);
        dialog->constrainBox()->setChecked(false);
        dialog->prepare(40, 30);
        QVERIFY(!dialog->constrainBox()->isChecked());  // kept between uses
        QCOMPARE(dialog->widthEdit()->maximum(), 400.0);
        QCOMPARE(dialog->heightEdit()->minimum(), 10.0);
        dialog->constrainBox()->setChecked(true);
        // A one-pixel side offers exactly ten pixels, however much is typed.
        dialog->prepare(1, 40);
        dialog->widthEdit()->setText(QStringLiteral("99999999999"));
        QCOMPARE(dialog->chosenWidth(), 10);
        QCOMPARE(dialog->chosenHeight(), 400);
    }

    void canvasOperationsKeepOrResetTheZoomAndUndoRestoresTheSize() {
        TestWindow w;
        QTemporaryDir dir;
        QImage picture(3, 2, QImage::Format_RGB32);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) picture.setPixel(x, y, qRgb(x * 100, y * 100, 7));
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("small.bmp"), picture)));
        w->zoomIn();
        const auto rgbAt = [&](int x, int y) { return w->document().display().pixel(x, y) & 0xFFFFFFu; };
        w->actions().rotateClockwise->trigger();
        QCOMPARE(w->document().pictureWidth(), 2);
        QCOMPARE(w->document().pictureHeight(), 3);
        QCOMPARE(rgbAt(0, 0), Argb(0x006407));  // the old bottom-left
        QCOMPARE(w->zoomPercent(), 120);
        QCOMPARE(w->view()->size(), QSize(2, 3));
        w->undo();
        QCOMPARE(w->document().pictureWidth(), 3);
        QCOMPARE(w->zoomPercent(), 100);
        w->actions().rotateCounterClockwise->trigger();
        QCOMPARE(rgbAt(0, 0), Argb(0xC80007));  // the old top-right
        for (int i = 0; i < 3; ++i) w->actions().rotateCounterClockwise->trigger();
        QCOMPARE(displayImage(*w).convertToFormat(QImage::Format_RGB32), picture);
        w->actions().rotate180->trigger();
        QCOMPARE(rgbAt(0, 0), Argb(0xC86407));

        // Through the dialog, then a size that cannot be had.
        QTimer::singleShot(0, w.window.get(), [&] {
            w->imageSizeDialog()->widthEdit()->setText(QStringLiteral("30"));
            w->imageSizeDialog()->okButton()->click();
        });
        w->zoomIn();
        w->actions().imageSize->trigger();
        QCOMPARE(w->document().pictureWidth(), 30);
        QCOMPARE(w->document().pictureHeight(), 20);
        QCOMPARE(w->zoomPercent(), 100);
        w->resizePictureTo(20000, 20000);
        QCOMPARE(w.errors.size(), 1);
        QCOMPARE(w->document().pictureWidth(), 30);
        QVERIFY(!QGuiApplication::overrideCursor());
        w->undo();
        QCOMPARE(w->document().pictureWidth(), 3);
    }

    void overlayButtonsAndOverlaysOnlyInTheArrowMode() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QTemporaryDir dir;
        QImage hat(20, 10, QImage::Format_RGB32);
        hat.fill(Qt::red);
        const QString file = writeBmp(dir, QStringLiteral("hat.bmp"), hat);
        w->setOpenFileChooser([file](QWidget*, const QString&) { return file; });
        w->setQuestion([](QWidget*, const QString&, const QString&) { return false; });
        ToolPalette* palette = w->toolPalette();
        click(palette, B::Clipart);
        QCOMPARE(w->overlays().size(), std::size_t(1));
        for (B tool : {B::Erase, B::Putty, B::Crop}) {
            click(palette, tool);
            QVERIFY(!w->overlays().visible());
        }
        click(palette, B::Arrow);
        QVERIFY(w->overlays().visible());
        w->overlayController().setSelection(0);
        click(palette, B::Delete);
        QVERIFY(w->overlays().isEmpty());
    }

    void restoreTakesBackTheWarping() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->selectWarpTool(WarpTool::Putty);
        press(w->view(), QPoint(200, 200), Qt::LeftButton);
        moveHeld(w->view(), QPoint(230, 200), Qt::LeftButton);
        release(w->view(), QPoint(230, 200), Qt::LeftButton);
        const QImage warped = displayImage(*w);
        QVERIFY(warped != original);
        w->actions().restore->trigger();
        QCOMPARE(displayImage(*w), original);
        QVERIFY(deformationIsIdentity(w->document()));
        w->undo();
        QCOMPARE(displayImage(*w), warped);
    }

    // A window that fills the screen leaves no room beside it: the palette
    // docks inside its left edge, off the picture, works there, floats again,
    // and the next start finds it where it was left.
    void paletteDocksWhenThereIsNoRoomBesideAndFloatsAgain() {
        const auto started = [](const QRect& geometry) {
            auto window = std::make_unique<MainWindow>(StartupOptions::quick());
            window->setOpenFileChooser([](QWidget*, const QString&) { return QString(); });
            window->setGeometry(geometry);
            QSignalSpy finished(window.get(), &MainWindow::startupFinished);
            window->show();
            if (finished.isEmpty()) finished.wait(5000);
            return window;
        };
        // As at the very first start: nothing remembered from the tests before.
        QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")).remove(QStringLiteral("palette"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        {
            const std::unique_ptr<MainWindow> w = started(screen);
            ToolPalette* palette = w->toolPalette();
            QVERIFY(w->paletteDock()->isDocked());
            QVERIFY(!palette->isWindow());
            QVERIFY(palette->isVisible());
            QToolBar* bar = w->paletteDock()->toolBar();
            QCOMPARE(w->toolBarArea(bar), Qt::LeftToolBarArea);
            QVERIFY(!bar->toggleViewAction()->isVisible());
            const QRect paletteOnScreen(palette->mapToGlobal(QPoint(0, 0)), palette->size());
            const QRect pictureOnScreen(w->scrollArea()->mapToGlobal(QPoint(0, 0)), w->scrollArea()->size());
            QVERIFY(!paletteOnScreen.intersects(pictureOnScreen));
            QVERIFY(w->openPicture(samplePortrait()));
            click(palette, B::ZoomIn);
            QCOMPARE(w->zoomPercent(), 120);
            click(palette, B::Putty);
            QCOMPARE(w->document().currentTool(), ToolCode::Putty);
        }
        {
            // Remembered: docked again, even where there would be room beside.
            const std::unique_ptr<MainWindow> w = started(QRect(200, 100, 400, 300));
            QVERIFY(w->paletteDock()->isDocked());
            w->paletteDock()->floatAt(QPoint(20, 30));
            ToolPalette* palette = w->toolPalette();
            QVERIFY(palette->isWindow());
            QVERIFY(palette->isVisible());
            QVERIFY(palette->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QCOMPARE(palette->pos(), QPoint(20, 30));
            QVERIFY(!w->paletteDock()->toolBar()->isVisible());
            QVERIFY(w->openPicture(samplePortrait()));
            click(palette, B::ZoomOut);
            QCOMPARE(w->zoomPercent(), 80);
            w->paletteDock()->dock();
            QVERIFY(!palette->isWindow());
            w->paletteDock()->floatAt(QPoint(40, 50));
        }
        {
            const std::unique_ptr<MainWindow> w = started(screen);
            QVERIFY(!w->paletteDock()->isDocked());
            QCOMPARE(w->toolPalette()->pos(), QPoint(40, 50));
        }
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<ToolPaletteTest>(argc, argv); }

#include "test_tool_palette.moc"
