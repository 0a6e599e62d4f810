#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

#include "app/zoom.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

class MenusAndZoomTest : public QObject {
    Q_OBJECT

    static void zoomTo(MainWindow& window, int percent) {
        window.zoomOriginal();
        while (window.zoomPercent() < percent) key(&window, Qt::Key_Up);
        while (window.zoomPercent() > percent) key(&window, Qt::Key_Down);
        QCOMPARE(window.zoomPercent(), percent);
    }

private slots:
    void startsWithOnlyFileHelpAndToolbarEnabled() {
        TestWindow w;
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio  3.0"));
        const auto& m = w->menus();
        QVERIFY(m.file->menuAction()->isEnabled());
        QVERIFY(m.help->menuAction()->isEnabled());
        QVERIFY(!m.edit->menuAction()->isEnabled());
        QVERIFY(!m.mugwarp->menuAction()->isEnabled());
        QVERIFY(!m.view->menuAction()->isEnabled());
        const auto& a = w->actions();
        QVERIFY(a.open->isEnabled());
        QVERIFY(a.exit->isEnabled());
        QVERIFY(!a.save->isEnabled());
        QVERIFY(!a.saveAs->isEnabled());
        QVERIFY(a.reload->isEnabled());
        QVERIFY(!a.undo->isEnabled());  // nothing to take back yet
        QVERIFY(a.tutorial->isEnabled());
        QVERIFY(!w->view()->isVisible());
        QVERIFY(!w->warpSettingsBar()->isVisible());
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
    }

    void menuCaptionsAndShortcuts() {
        TestWindow w;
        const auto& a = w->actions();
        QCOMPARE(w->menus().file->title(), QStringLiteral("File"));
        QCOMPARE(w->menus().mugwarp->title(), QStringLiteral("Mugwarp"));
        QCOMPARE(a.open->text(), QStringLiteral("&Open"));
        QCOMPARE(a.saveAs->text(), QStringLiteral("&Save As..."));
        QCOMPARE(a.exit->text(), QStringLiteral("&Exit"));
        QCOMPARE(a.twirl->text(), QStringLiteral("Twirl"));
        QCOMPARE(a.zoomIn->text(), QStringLiteral("Zoom In"));
        QCOMPARE(a.open->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(a.saveAs->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
        QVERIFY(a.zoomIn->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+="))));
        QVERIFY(a.zoomIn->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl++"))));
        QCOMPARE(a.zoomOut->shortcut(), QKeySequence(QStringLiteral("Ctrl+-")));
        QCOMPARE(a.original->shortcut(), QKeySequence(QStringLiteral("Ctrl+0")));
        QCOMPARE(a.tutorial->shortcut(), QKeySequence(QStringLiteral("F1")));
        QCOMPARE(a.undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(a.exit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    }

    void openingEnablesTheRestAndSetsTheTitle() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(shownTitle(*w), QStringLiteral("Mugwarp Studio 3.0  \"portrait.jpg\""));
        for (QMenu* menu : {w->menus().edit, w->menus().mugwarp, w->menus().view})
            QVERIFY(menu->menuAction()->isEnabled());
        QVERIFY(w->actions().save->isEnabled());
        QVERIFY(w->actions().saveAs->isEnabled());
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->view()->size(), QSize(512, 512));
        QCOMPARE(w->view()->pos(), QPoint(0, 1));
        QVERIFY(w->view()->isVisible());
    }

    void openThroughTheMenuUsesTheChooser() {
        TestWindow w;
        w->setOpenFileChooser([](QWidget*, const QString&) { return samplePortrait(); });
        w->actions().open->trigger();
        QVERIFY(w->document().pictureLoaded());
        QCOMPARE(QString::fromStdString(w->document().documentFileName()), samplePortrait());
    }

    void cancellingOpenChangesNothing() {
        TestWindow w;
        w->actions().open->trigger();
        QVERIFY(!w->document().pictureLoaded());
        QCOMPARE(shownTitle(*w), MainWindow::kStartTitle);
    }

    void reloadBeforeOpeningDoesNothing() {
        TestWindow w;
        w->actions().reload->trigger();
        QVERIFY(!w->document().pictureLoaded());
        QVERIFY(w.errors.isEmpty());
    }

    void menuZoomStepsAndLimits() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QList<int> seen;
        for (int i = 0; i < 5; ++i) {
            w->actions().zoomIn->trigger();
            seen << w->zoomPercent();
        }
        QCOMPARE(seen, (QList<int>{120, 140, 160, 180, 200}));
        QCOMPARE(w->view()->size(), QSize(1024, 1024));
        zoomTo(*w, 490);
        w->actions().zoomIn->trigger();
        QCOMPARE(w->zoomPercent(), 500);
        w->actions().zoomIn->trigger();
        QCOMPARE(w->zoomPercent(), 500);
        zoomTo(*w, 30);
        w->actions().zoomOut->trigger();
        QCOMPARE(w->zoomPercent(), 20);
        w->actions().zoomOut->trigger();
        QCOMPARE(w->zoomPercent(), 20);
        w->actions().original->trigger();
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->view()->size(), QSize(512, 512));
    }

    void viewSizeTruncates() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        zoomTo(*w, 35);
        QCOMPARE(w->view()->size(), QSize(179, 179));
        QTemporaryDir dir;
        QImage tiny(3, 3, QImage::Format_RGB32);
        tiny.fill(Qt::red);
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("tiny.bmp"), tiny)));
        zoomTo(*w, 20);
        QCOMPARE(w->view()->size(), QSize(0, 0));
    }

    void originalSizeIsExactForEveryPictureSize() {
        TestWindow w;
        QTemporaryDir dir;
        QImage odd(29, 57, QImage::Format_RGB32);
        odd.fill(Qt::blue);
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("odd.bmp"), odd)));
        QCOMPARE(w->view()->size(), QSize(29, 57));
        QCOMPARE(w->view()->viewToPicture(QPoint(28, 56)), QPoint(28, 56));
        w->actions().zoomIn->trigger();
        w->actions().zoomOut->trigger();
        QCOMPARE(w->view()->size(), QSize(29, 57));
        key(&*w, Qt::Key_Up);
        key(&*w, Qt::Key_Down);
        QCOMPARE(w->view()->size(), QSize(29, 57));
        w->actions().original->trigger();
        QCOMPARE(w->view()->size(), QSize(29, 57));
    }

    void wheelZoomsTheOtherWayRound() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QWidget* viewport = w->scrollArea()->viewport();
        wheelNotch(w->view(), false);
        QCOMPARE(w->zoomPercent(), 105);
        wheelNotch(viewport, true);
        wheelNotch(viewport, true);
        QCOMPARE(w->zoomPercent(), 95);
        zoomTo(*w, 20);
        wheelNotch(w->view(), true);
        QCOMPARE(w->zoomPercent(), 20);
        QCOMPARE(w->scrollArea()->verticalScrollBar()->value(), 0);
    }

    void arrowKeysZoomInFineSteps() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        key(&*w, Qt::Key_Up);
        QCOMPARE(w->zoomPercent(), 105);
        key(&*w, Qt::Key_Down);
        key(&*w, Qt::Key_Down);
        QCOMPARE(w->zoomPercent(), 95);
        zoomTo(*w, 20);
        key(&*w, Qt::Key_Down);
        QCOMPARE(w->zoomPercent(), 20);
        // With the arrow tool, Left and Right do nothing.
        const int size = w->sizeBar()->value();
        const int effect = w->effectBar()->value();
        key(&*w, Qt::Key_Left);
        key(&*w, Qt::Key_Right);
        QCOMPARE(w->zoomPercent(), 20);
        QCOMPARE(w->sizeBar()->value(), size);
        QCOMPARE(w->effectBar()->value(), effect);
    }

    void warpToolsTurnWheelAndArrowsIntoBrushSettings() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        QCOMPARE(w->document().currentTool(), ToolCode::Putty);
        QVERIFY(w->warpSettingsBar()->isVisible());
        QCOMPARE(w->sizeBar()->value(), 100);
        wheelNotch(w->view(), true);
        QCOMPARE(w->sizeBar()->value(), 97);
        QCOMPARE(w->strokes().brushSize(), 97);
        QCOMPARE(w->view()->brushOutlineRadius(), 48);
        wheelNotch(w->view(), false);
        wheelNotch(w->view(), false);
        QCOMPARE(w->sizeBar()->value(), 103);
        key(&*w, Qt::Key_Up);
        QCOMPARE(w->sizeBar()->value(), 106);
        key(&*w, Qt::Key_Down);
        QCOMPARE(w->sizeBar()->value(), 103);
        key(&*w, Qt::Key_Left);
        QCOMPARE(w->effectBar()->value(), -3);
        QCOMPARE(w->strokes().effect(), -3);
        key(&*w, Qt::Key_Right);
        key(&*w, Qt::Key_Right);
        QCOMPARE(w->effectBar()->value(), 3);
        QCOMPARE(w->zoomPercent(), 100);
        // The sliders clamp at their ends.
        for (int i = 0; i < 40; ++i) key(&*w, Qt::Key_Right);
        QCOMPARE(w->effectBar()->value(), 100);
        for (int i = 0; i < 40; ++i) wheelNotch(w->view(), true);
        QCOMPARE(w->sizeBar()->value(), 5);
        QCOMPARE(w->view()->cursor().shape(), Qt::BlankCursor);
    }

    void arrowKeysReachTheWindowAfterClicksOnItsControls() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*w));
        w->actions().zoomIn->trigger();
        w->actions().zoomIn->trigger();  // 140 %: the scroll bars show
        QCoreApplication::processEvents();
        const auto typeUp = [] {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
            QTest::keyClick(target, Qt::Key_Up);
        };
        QTest::mouseClick(w->view(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        typeUp();
        QCOMPARE(w->zoomPercent(), 145);
        QTest::mouseClick(w->scrollArea()->verticalScrollBar(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 40));
        typeUp();
        QCOMPARE(w->zoomPercent(), 150);
        w->actions().putty->trigger();
        QTest::mouseClick(w->sizeBar(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        const int size = w->sizeBar()->value();
        typeUp();
        QCOMPARE(w->sizeBar()->value(), std::min(size + 3, 500));
        QCOMPARE(w->zoomPercent(), 150);
    }

    void warpSettingsAreLabelledSizeAndEffect() {
        TestWindow w;
        QStringList captions;
        for (const QLabel* label : w->warpSettingsBar()->findChildren<QLabel*>()) captions << label->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("Size"), QStringLiteral("Effect")}));
        QCOMPARE(w->sizeBar()->minimum(), 5);
        QCOMPARE(w->sizeBar()->maximum(), 500);
        QCOMPARE(w->effectBar()->minimum(), -100);
        QCOMPARE(w->effectBar()->maximum(), 100);
        QCOMPARE(w->effectBar()->value(), 0);
    }

    void cursorTableHasItsEightCursors() {
        TestWindow w;
        QCOMPARE(CursorTable::resourceName(8), QStringLiteral("108"));
        QCOMPARE(CursorTable::resourceName(7), QStringLiteral("101"));
        QCOMPARE(CursorTable::resourceName(1), QStringLiteral("107"));
        QCOMPARE(CursorTable::numberForEraseSize(26), 7);
        QCOMPARE(CursorTable::numberForEraseSize(3), 2);
        QCOMPARE(CursorTable::numberForEraseSize(99), 7);
        QCOMPARE(w->cursors().cursor(6).hotSpot(), QPoint(1, 1));
        QCOMPARE(w->cursors().cursor(1).hotSpot(), QPoint(15, 15));
        QCOMPARE(w->cursors().cursor(8).hotSpot(), QPoint(15, 15));
        QCOMPARE(w->cursors().cursor(7).bitmap().size(), QSize(32, 32));
    }

    void fitAndStepArithmetic_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<int>("fit");
        QTest::newRow("6000 x 4000 into 1200 x 800") << QSize(6000, 4000) << QSize(1200, 800) << 20;
        QTest::newRow("height decides") << QSize(1000, 4000) << QSize(1200, 799) << 19;
        QTest::newRow("very wide goes below 20 %") << QSize(60000, 10) << QSize(900, 700) << 1;
        QTest::newRow("small grows to the room") << QSize(100, 50) << QSize(300, 300) << 300;
        QTest::newRow("tiny stops at 500 %") << QSize(3, 3) << QSize(900, 700) << 500;
        QTest::newRow("no room keeps 100 %") << QSize(300, 300) << QSize(0, 700) << 100;
        QTest::newRow("30001 wide, truncation") << QSize(30001, 10) << QSize(300, 300) << 1;
    }
    void fitAndStepArithmetic() {
        QFETCH(QSize, picture);
        QFETCH(QSize, room);
        QFETCH(int, fit);
        const int percent = fitZoom(picture, room);
        QCOMPARE(percent, fit);
        if (!room.isEmpty() && percent > Zoom::kFitMinimum && percent < Zoom::kMaximum) {
            const QSize shown = zoomedViewSize(picture, percent);
            QVERIFY(shown.width() <= room.width() && shown.height() <= room.height());
            const QSize larger = zoomedViewSize(picture, percent + 1);
            QVERIFY(larger.width() > room.width() || larger.height() > room.height());
        }
        // A fitted zoom below the usual minimum is not raised by zooming out.
        QCOMPARE(steppedZoom(15, 15 - Zoom::kMenuStep), 15);
        QCOMPARE(steppedZoom(15, 15 + Zoom::kMenuStep), 35);
        QCOMPARE(steppedZoom(30, 10), Zoom::kMinimum);
        QCOMPARE(steppedZoom(490, 510), Zoom::kMaximum);
    }

    void fitInWindowShowsTheWholePictureInOneCommand() {
        TestWindow w;
        QTemporaryDir dir;
        QImage wide(6000, 400, QImage::Format_RGB32);
        wide.fill(Qt::darkGreen);
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("wide.bmp"), wide)));
        QCOMPARE(w->zoomPercent(), 100);
        QVERIFY(w->actions().fitInWindow->isEnabled());
        QCOMPARE(w->actions().fitInWindow->shortcut(), QKeySequence(QStringLiteral("Ctrl+9")));
        w->actions().fitInWindow->trigger();
        QVERIFY2(w->zoomPercent() < Zoom::kMinimum, qPrintable(QString::number(w->zoomPercent())));
        QCoreApplication::processEvents();
        const QSize port = w->scrollArea()->viewport()->size();
        QVERIFY(w->view()->width() <= port.width() && w->view()->height() + 1 <= port.height());
        QVERIFY(w->view()->width() * 100 / port.width() >= 97);
        QCOMPARE(w->scrollArea()->horizontalScrollBar()->maximum(), 0);
        // Zoom Out leaves the fitted zoom, Zoom In goes on from it.
        const int fitted = w->zoomPercent();
        w->actions().zoomOut->trigger();
        QCOMPARE(w->zoomPercent(), fitted);
        w->actions().zoomIn->trigger();
        QCOMPARE(w->zoomPercent(), fitted + Zoom::kMenuStep);
    }

    // The picture point under the pointer (wheel) or under the middle of the
    // view (menu, keys) stays where it was.
    void zoomingKeepsTheAnchorStill() {
        TestWindow w;
        QTemporaryDir dir;
        QImage big(2000, 1600, QImage::Format_RGB32);
        big.fill(Qt::gray);
        QVERIFY(w->openPicture(writeBmp(dir, QStringLiteral("big.bmp"), big)));
        QCoreApplication::processEvents();
        QWidget* port = w->scrollArea()->viewport();
        w->scrollArea()->horizontalScrollBar()->setValue(500);
        w->scrollArea()->verticalScrollBar()->setValue(400);
        const auto pictureUnder = [&](QPoint inPort) { return w->view()->viewToPicture(w->view()->mapFrom(port, inPort)); };
        const QPoint middle = port->rect().center();
        QPoint before = pictureUnder(middle);
        w->actions().zoomIn->trigger();
        QVERIFY((pictureUnder(middle) - before).manhattanLength() <= 2);
        key(&*w, Qt::Key_Down);
        QVERIFY((pictureUnder(middle) - before).manhattanLength() <= 2);
        const QPoint pointer(120, 90);
        before = pictureUnder(pointer);
        wheelNotch(port, false, pointer);  // towards the user: zoom in
        QCOMPARE(w->zoomPercent(), 120);
        QVERIFY2((pictureUnder(pointer) - before).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(pictureUnder(pointer).x()).arg(pictureUnder(pointer).y())));
    }

    void largePicturesOpenFittedWhenAsked() {
        QTemporaryDir dir;
        QImage large(3000, 2000, QImage::Format_RGB32);
        large.fill(Qt::gray);
        const QString largePath = writeBmp(dir, QStringLiteral("large.bmp"), large);
        QImage small(200, 100, QImage::Format_RGB32);
        small.fill(Qt::gray);
        const QString smallPath = writeBmp(dir, QStringLiteral("small.bmp"), small);
        {
            TestWindow w;
            QCOMPARE(w->actions().fitLargePictures->text(), QStringLiteral("Open large pictures to fit the window"));
            QVERIFY(!w->actions().fitLargePictures->isChecked());
            QVERIFY(w->openPicture(largePath));
            QCOMPARE(w->zoomPercent(), 100);
            w->actions().fitLargePictures->setChecked(true);
        }
        TestWindow w;  // the choice outlives the window
        QVERIFY(w->actions().fitLargePictures->isChecked());
        QVERIFY(w->openPicture(largePath));
        QVERIFY(w->zoomPercent() < 100);
        QCOMPARE(w->zoomPercent(), fitZoom(QSize(3000, 2000), w->scrollArea()->maximumViewportSize() - QSize(0, 1)));
        w->reload();
        QVERIFY(w->zoomPercent() < 100);
        QVERIFY(w->openPicture(smallPath));
        QCOMPARE(w->zoomPercent(), 100);  // small pictures are not blown up
        w->actions().fitLargePictures->setChecked(false);
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<MenusAndZoomTest>(argc, argv); }

#include "test_menus_and_zoom.moc"
