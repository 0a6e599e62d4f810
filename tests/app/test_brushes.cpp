#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSet>
#include <QSlider>
#include <QToolButton>

#include "app/brush_guides.h"
#include "app/status_line.h"
#include "app/tool_palette.h"
#include "app/tool_table.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

qint64 totalDifference(const QImage& a, const QImage& b) {
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum;
}

// Holds the left button at a view point for a number of timer expiries.
void holdAt(MainWindow& w, QPoint p, int ticks) {
    press(w.view(), p, Qt::LeftButton);
    moveHeld(w.view(), p, Qt::LeftButton);
    for (int i = 0; i < ticks; ++i) w.strokeTimerTick();
    release(w.view(), p, Qt::LeftButton);
}

QImage viewShot(MainWindow& w) { return w.view()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// A horizontal drag made with the pen at one pressure.
void penDrag(MainWindow& w, qreal pressure) {
    ImageView* view = w.view();
    sendTablet(view, QEvent::TabletPress, QPoint(200, 250), pressure, Qt::LeftButton, Qt::LeftButton);
    for (int x = 205; x <= 260; x += 5) sendTablet(view, QEvent::TabletMove, QPoint(x, 250), pressure, Qt::NoButton, Qt::LeftButton);
    sendTablet(view, QEvent::TabletRelease, QPoint(260, 250), pressure, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

class BrushesTest : public QObject {
    Q_OBJECT
private slots:
    void paletteMenuKeysAndHintsComeFromTheToolTable() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QSet<QString> keys;
        for (QAction* action : w->findChildren<QAction*>())
            for (const QKeySequence& k : action->shortcuts()) {
                QVERIFY2(!keys.contains(k.toString()), qPrintable(k.toString() + " is used twice"));
                keys.insert(k.toString());
            }
        for (const ToolEntry& tool : toolTable()) {
            const QString key = QKeySequence(tool.key).toString();
            QVERIFY2(keys.contains(key), tool.name);
            QToolButton* button = w->toolPalette()->button(tool.button);
            QVERIFY(button->isCheckable());
            QVERIFY2(button->toolTip().endsWith(QStringLiteral("(%1)").arg(key)), qPrintable(button->toolTip()));
            auto* action = w->findChild<QAction*>(QString::fromLatin1(tool.actionName));
            QVERIFY2(action, tool.actionName);
            QCOMPARE(w->menus().mugwarp->actions().contains(action), tool.onMugwarpMenu);
            action->trigger();
            QCOMPARE(w->document().currentTool(), tool.code);
            QVERIFY(button->isChecked());
            QCOMPARE(w->statusLine()->toolText(), QStringLiteral("%1: %2").arg(QString::fromUtf8(tool.name), QString::fromUtf8(tool.hint)));
        }
        // The new brushes keep the warp settings and the repeat timer.
        for (QAction* action : {w->actions().reconstruct, w->actions().smooth, w->actions().freeze, w->actions().thaw}) {
            action->trigger();
            QCOMPARE(w->viewMode(), MainWindow::ViewMode::Warp);
            QVERIFY(w->warpSettingsBar()->isVisible());
            QVERIFY(w->strokeTimer().isActive());
        }
    }

    void newBrushActionsWaitForAPicture() {
        TestWindow w;
        for (QAction* a : {w->actions().reconstruct, w->actions().smooth, w->actions().freeze, w->actions().thaw,
                           w->actions().freezeNone, w->actions().invertFreeze})
            QVERIFY(!a->isEnabled());
        w->toolPalette()->button(ToolPalette::Button::Freeze)->click();
        QCOMPARE(w->document().currentTool(), ToolCode::Arrow);
    }

    void reconstructBrushesAPullBackAndEachStrokeIsAStep() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->actions().putty->trigger();
        press(w->view(), QPoint(240, 250), Qt::LeftButton);
        for (int x = 245; x <= 300; x += 5) moveHeld(w->view(), QPoint(x, 250), Qt::LeftButton);
        release(w->view(), QPoint(300, 250), Qt::LeftButton);
        const QImage pulled = displayImage(*w);
        w->actions().reconstruct->trigger();
        w->effectBar()->setValue(100);
        w->sizeBar()->setValue(200);
        holdAt(*w, QPoint(270, 250), 400);
        QCOMPARE(totalDifference(displayImage(*w), original), qint64(0));
        w->undo();
        QCOMPARE(displayImage(*w), pulled);
        w->redo();
        QCOMPARE(displayImage(*w), original);
    }

    void freezeTintShowsWhileABrushIsChosenAndNeverInThePicture() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        const QImage original = displayImage(*w);
        w->actions().freeze->trigger();
        w->effectBar()->setValue(100);
        const QImage plainView = viewShot(*w);
        holdAt(*w, QPoint(150, 150), 20);
        QCOMPARE(w->document().freezeMask().value(150, 150), std::uint8_t(255));
        QCOMPARE(displayImage(*w), original);
        const QImage tinted = viewShot(*w);
        const QRgb before = plainView.pixel(150, 150), after = tinted.pixel(150, 150);
        QVERIFY(qRed(after) > qRed(before) || qRed(before) == 255);
        QVERIFY(qGreen(after) < qGreen(before));
        QCOMPARE(tinted.pixel(400, 400), plainView.pixel(400, 400));

        // The brush outline is drawn once the pointer is over the view, so
        // the frozen middle is compared, inside the outline.
        w->actions().showFreezeMask->trigger();  // off
        QCOMPARE(viewShot(*w).pixel(150, 150), before);
        w->actions().showFreezeMask->trigger();  // on again
        QCOMPARE(viewShot(*w), tinted);
        w->selectArrowTool();
        QCOMPARE(viewShot(*w).pixel(150, 150), before);

        // A Twirl across the frozen spot leaves it; Freeze None is a step.
        w->actions().twirl->trigger();
        holdAt(*w, QPoint(150, 150), 20);
        QCOMPARE(displayImage(*w).pixel(150, 150), original.pixel(150, 150));
        w->actions().freezeNone->trigger();
        QCOMPARE(w->document().freezeMask().width(), 0);
        w->undo();
        QCOMPARE(w->document().freezeMask().value(150, 150), std::uint8_t(255));
        w->actions().invertFreeze->trigger();
        QCOMPARE(w->document().freezeMask().value(150, 150), std::uint8_t(0));
        QCOMPARE(w->document().freezeMask().value(400, 400), std::uint8_t(255));
    }

    void meshBendsWithThePullAndIsOnlyInTheView() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        const QImage plain = viewShot(*w);
        QVERIFY(!w->actions().showMesh->isChecked());
        w->actions().showMesh->trigger();
        QVERIFY(w->brushGuides().meshDrawn());
        const QImage straight = viewShot(*w);
        QVERIFY(straight != plain);
        // Straight lines every 32 view pixels before any pull.
        QVERIFY(straight.pixel(64, 10) != plain.pixel(64, 10));
        QCOMPARE(straight.pixel(50, 10), plain.pixel(50, 10));
        const QImage pictureBefore = displayImage(*w);
        press(w->view(), QPoint(40, 100), Qt::LeftButton);
        for (int x = 45; x <= 110; x += 5) moveHeld(w->view(), QPoint(x, 100), Qt::LeftButton);
        release(w->view(), QPoint(110, 100), Qt::LeftButton);
        const QImage bent = viewShot(*w);
        w->actions().showMesh->trigger();
        const QImage pulledPlain = viewShot(*w);
        // The line at x = 64 left its column where the picture was pulled.
        bool moved = false;
        for (int y = 80; y <= 120; ++y) moved = moved || (bent.pixel(64, y) == pulledPlain.pixel(64, y));
        QVERIFY(moved);
        QVERIFY(displayImage(*w) != pictureBefore);
    }

    void penPressureScalesStrengthOrSizeAndTheChoiceIsKept() {
        qint64 moved[2] = {};
        for (int i = 0; i < 2; ++i) {
            TestWindow w;
            QVERIFY(w->openPicture(samplePortrait()));
            w->penSizeToggle()->setChecked(false);
            const QImage original = displayImage(*w);
            w->actions().putty->trigger();
            penDrag(*w, i == 0 ? 1.0 : 0.25);
            moved[i] = totalDifference(displayImage(*w), original);
        }
        QVERIFY(moved[1] > 0);
        QVERIFY(moved[1] < moved[0]);

        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->penSizeToggle()->setChecked(true);
        QCOMPARE(w->strokes().pressureMode(), PressureMode::Size);
        QVERIFY(QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")).value("brushes/penSetsSize").toBool());
        {
            TestWindow again;  // remembered
            QVERIFY(again->penSizeToggle()->isChecked());
            QCOMPARE(again->strokes().pressureMode(), PressureMode::Size);
        }
        w->actions().putty->trigger();
        penDrag(*w, 0.25);
        QCOMPARE(w->strokes().engine().activeSize(), 25);
        // The mouse counts as full pressure.
        press(w->view(), QPoint(300, 300), Qt::LeftButton);
        QCOMPARE(w->strokes().engine().activeSize(), 100);
        release(w->view(), QPoint(300, 300), Qt::LeftButton);
        w->penSizeToggle()->setChecked(false);
    }
};

int main(int argc, char** argv) { return mugwarp::testing::runTests<BrushesTest>(argc, argv); }

#include "test_brushes.moc"
