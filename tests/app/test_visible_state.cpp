// What the window shows of its state: the pressed tool button, the brush
// numbers, the status bar, a view that stays put, the outline only under the
// pointer, and where the palette goes.
#include <QAction>
#include <QButtonGroup>
#include <QEnterEvent>
#include <QMenu>
#include <QPrinter>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <functional>
#include <optional>

#include "app/flat_view.h"
#include "app/palette_placement.h"
#include "app/status_line.h"
#include "app/tool_palette.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;
using B = ToolPalette::Button;

namespace {

QList<B> pressedButtons(const ToolPalette& palette) {
    QList<B> pressed;
    for (int i = 0; i < ToolPalette::kButtonCount; ++i)
        if (palette.button(B(i))->isChecked()) pressed << B(i);
    return pressed;
}

void dab(MainWindow& w, QPoint p) {
    press(w.flatView(), p, Qt::LeftButton);
    release(w.flatView(), p, Qt::LeftButton);
}

}  // namespace

class VisibleStateTest : public QObject {
    Q_OBJECT
private slots:
    void theActiveToolIsTheOnePressedButton() {
        TestWindow w;
        ToolPalette* palette = w->toolPalette();
        QTRY_VERIFY(palette->isVisible());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*w));
        // Without a picture the flat tools do nothing, and must not look chosen.
        palette->button(B::Erase)->click();
        QCOMPARE(pressedButtons(*palette), QList<B>{B::Arrow});
        QVERIFY(w->openPicture(samplePortrait()));

        const auto click = [&](B b) { return [palette, b](MainWindow&) { palette->button(b)->click(); }; };
        const auto type = [](Qt::Key k) { return [k](MainWindow& m) { QTest::keyClick(&m, k); }; };
        const struct {
            const char* how;
            std::function<void(MainWindow&)> choose;
            B pressed;
        } cases[] = {
            {"palette Putty", click(B::Putty), B::Putty},
            {"palette Erase", click(B::Erase), B::Erase},
            {"palette Erase again", click(B::Erase), B::Erase},
            {"palette Crop", click(B::Crop), B::Crop},
            {"palette Arrow", click(B::Arrow), B::Arrow},
            {"menu Twirl", [](MainWindow& m) { m.actions().twirl->trigger(); }, B::Twirl},
            {"menu Warp", [](MainWindow& m) { m.actions().warp->trigger(); }, B::Warp},
            {"key P", type(Qt::Key_P), B::Putty},
            {"key E", type(Qt::Key_E), B::Erase},
            {"key B", type(Qt::Key_B), B::Paint},
            {"key I", type(Qt::Key_I), B::PickColour},
            {"a pick switches to Paint", [](MainWindow& m) { dab(m, QPoint(50, 50)); }, B::Paint},
            {"key C", type(Qt::Key_C), B::Crop},
            {"key T", type(Qt::Key_T), B::Twirl},
            {"key A", type(Qt::Key_A), B::Arrow},
            {"size menu from the arrow", [palette](MainWindow&) { palette->sizeMenu()->actions().at(2)->trigger(); },
             B::Erase},
            {"key W", type(Qt::Key_W), B::Warp},
            {"reload", [](MainWindow& m) { m.reload(); }, B::Arrow},
        };
        for (const auto& c : cases) {
            c.choose(*w);
            QVERIFY2(pressedButtons(*palette) == QList<B>{c.pressed}, c.how);
        }
    }

    // However the brush is changed, slider, number and brush agree.
    void slidersAndTheirNumbersStayInStep() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        const struct {
            const char* how;
            std::function<void()> change;
            int size, effect;
        } cases[] = {
            {"size slider", [&] { w->sizeBar()->setValue(200); }, 200, 0},
            {"size number typed", [&] {
                 w->sizeBox()->selectAll();
                 QTest::keyClicks(w->sizeBox(), QStringLiteral("37"));
                 QTest::keyClick(w->sizeBox(), Qt::Key_Return);
             }, 37, 0},
            {"size number above the range", [&] { w->sizeBox()->setValue(9999); }, 500, 0},
            {"Up key", [&] { key(&*w, Qt::Key_Up); }, 500, 0},
            {"wheel", [&] { wheelNotch(w->view(), true); }, 497, 0},
            {"effect number", [&] { w->effectBox()->setValue(-40); }, 497, -40},
            {"Right key", [&] { key(&*w, Qt::Key_Right); }, 497, -37},
            {"effect slider", [&] { w->effectBar()->setValue(100); }, 497, 100},
        };
        for (const auto& c : cases) {
            c.change();
            QVERIFY2(w->sizeBar()->value() == c.size && w->sizeBox()->value() == c.size, c.how);
            QVERIFY2(w->effectBar()->value() == c.effect && w->effectBox()->value() == c.effect, c.how);
            QVERIFY2(w->strokes().brushSize() == c.size, c.how);
        }
    }

    void statusBarTellsZoomSizeToolAndWhatWasDone() {
        QTemporaryDir dir;
        TestWindow w;
        StatusLine* status = w->statusLine();
        QVERIFY(status->sizeText().isEmpty() && status->zoomText().isEmpty());
        const QString savedPath = dir.filePath(QStringLiteral("face.bmp"));
        const QString pdfPath = dir.filePath(QStringLiteral("page.pdf"));
        w->setSaveFileChooser([&](QWidget*, const QString&) { return savedPath; });
        w->setPrinterProvider([&] {
            auto printer = std::make_unique<QPrinter>();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setResolution(72);
            printer->setOutputFileName(pdfPath);
            return printer;
        });
        const struct {
            const char* command;
            std::function<void()> run;
            QString tool, size, zoom, message;
        } cases[] = {
            {"open", [&] { QVERIFY(w->openPicture(samplePortrait())); }, "Select: ", "512 \u00d7 512 pixels", "100 %", {}},
            {"zoom in", [&] { w->zoomIn(); }, "Select: ", "512 \u00d7 512 pixels", "120 %", {}},
            {"Putty", [&] { w->actions().putty->trigger(); }, "Putty: ", "512 \u00d7 512 pixels", "120 %", {}},
            {"wheel", [&] { w->actions().original->trigger(); w->selectArrowTool(); wheelNotch(w->view(), false); },
             "Select: ", "512 \u00d7 512 pixels", "105 %", {}},
            {"rotate", [&] { w->resizePictureTo(300, 200); w->rotateCanvas(Rotation::Clockwise); }, "Select: ",
             "200 \u00d7 300 pixels", "100 %", {}},
            {"save as", [&] { w->saveAs(); }, "Select: ", "200 \u00d7 300 pixels", "100 %", "Saved face.bmp"},
            {"print", [&] { w->print(); }, "Select: ", "200 \u00d7 300 pixels", "100 %",
             "Sent to printer " + QDir::toNativeSeparators(pdfPath)},
        };
        for (const auto& c : cases) {
            c.run();
            QVERIFY2(status->toolText().startsWith(c.tool), c.command);
            QCOMPARE(status->sizeText(), c.size);
            QCOMPARE(status->zoomText(), c.zoom);
            QCOMPARE(status->currentMessage(), c.message);
            status->clearMessage();
        }
        QVERIFY(QFileInfo(pdfPath).size() > 0);
        QVERIFY(w.errors.isEmpty());
    }

    void switchingToolsNeverMovesThePicture() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QCoreApplication::processEvents();
        const QPoint start = w->view()->mapTo(&*w, QPoint(0, 0));
        const std::function<void()> switches[] = {
            [&] { w->actions().putty->trigger(); },   [&] { w->selectArrowTool(); },
            [&] { w->actions().twirl->trigger(); },   [&] { w->selectFlatTool(ToolCode::Erase); },
            [&] { w->actions().warp->trigger(); },    [&] { w->selectFlatTool(ToolCode::Crop); },
            [&] { w->selectArrowTool(); },
        };
        int step = 0;
        for (const auto& change : switches) {
            change();
            QCoreApplication::processEvents();  // the layout settles
            QVERIFY2(w->view()->mapTo(&*w, QPoint(0, 0)) == start, qPrintable(QString::number(step++)));
        }
    }

    void outlineShowsOnlyWhileThePointerIsOverTheView() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        ImageView* view = w->view();
        const QImage bare = view->grab().toImage();
        w->actions().putty->trigger();
        moveHeld(view, QPoint(200, 200), Qt::NoButton);
        QVERIFY(view->grab().toImage() != bare);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(view, &leave);
        QCOMPARE(view->grab().toImage(), bare);
        QVERIFY(view->brushOutlineVisible());  // still wanted, only not drawn
        QEnterEvent enter(QPointF(300, 100), QPointF(300, 100), view->mapToGlobal(QPointF(300, 100)));
        QApplication::sendEvent(view, &enter);
        QCOMPARE(view->brushOutlineCentre(), QPoint(300, 100));
        QVERIFY(view->grab().toImage() != bare);
    }

    void paletteGoesBesideTheWindowAndStaysOnScreen() {
        const QRect screen(0, 0, 1600, 1000);
        const QSize palette(66, 300);
        const struct {
            const char* where;
            QRect window;
            std::optional<QPoint> expected;  // none: docked inside the window
        } first[] = {
            {"room on the right", QRect(100, 50, 900, 700), QPoint(1000, 120)},
            {"maximised: docked", screen, std::nullopt},
            {"room only on the left, tall palette clamped", QRect(700, 900, 900, 100), QPoint(634, 700)},
            {"one pixel short on both sides", QRect(65, 50, 1470, 700), std::nullopt},
            {"exactly room on the left", QRect(66, 50, 1534, 700), QPoint(0, 120)},
        };
        for (const auto& c : first)
            QVERIFY2(firstPalettePosition(c.window, c.window.top() + 70, palette, screen) == c.expected, c.where);

        const QList<QRect> screens{screen, QRect(1600, 0, 1280, 1024)};
        const struct {
            const char* where;
            QPoint remembered;
            QPoint expected;
        } later[] = {
            {"as left", QPoint(1700, 40), QPoint(1700, 40)},
            {"half off the right screen", QPoint(2850, 900), QPoint(2880 - 66, 1024 - 300)},
            {"on a screen now gone", QPoint(5000, 100), QPoint(1600 - 66, 100)},
            {"above the top", QPoint(10, -50), QPoint(10, 0)},
        };
        for (const auto& c : later)
            QVERIFY2(clampedPalettePosition(c.remembered, palette, screens) == c.expected, c.where);
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<VisibleStateTest>(argc, argv); }

#include "test_visible_state.moc"
