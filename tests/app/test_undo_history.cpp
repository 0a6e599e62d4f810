#include <QAction>
#include <QToolBar>

#include "app/history_captions.h"
#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

// One Putty drag on the picture, starting at p.
void stroke(TestWindow& w, QPoint p) {
    press(w->view(), p, Qt::LeftButton);
    moveHeld(w->view(), p + QPoint(30, 10), Qt::LeftButton);
    release(w->view(), p + QPoint(30, 10), Qt::LeftButton);
}

void typeInto(TestWindow& w, int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &*w;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

}  // namespace

class UndoHistoryTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void itemsFollowTheHistory() {
        TestWindow w;
        const auto& a = w->actions();
        QVERIFY(!a.undo->isEnabled() && !a.redo->isEnabled());
        QVERIFY(w->openPicture(samplePortrait()));
        QVERIFY(!a.undo->isEnabled() && !a.redo->isEnabled());
        QCOMPARE(a.undo->toolTip(), QStringLiteral("Undo (nothing to undo)"));
        w->actions().putty->trigger();
        stroke(w, QPoint(200, 200));
        stroke(w, QPoint(300, 300));
        QVERIFY(a.undo->isEnabled() && !a.redo->isEnabled());
        QVERIFY2(a.undo->toolTip().startsWith(QStringLiteral("Undo (2 steps back; history uses ")), qPrintable(a.undo->toolTip()));
        QVERIFY(a.undo->toolTip().endsWith(QStringLiteral(" KB)")));
        w->undo();
        QVERIFY(a.undo->isEnabled() && a.redo->isEnabled());
        QVERIFY(a.redo->toolTip().startsWith(QStringLiteral("Redo (1 step ahead; history uses ")));
        QCOMPARE(a.undo->text(), QStringLiteral("Undo"));
        QCOMPARE(a.redo->text(), QStringLiteral("Redo"));
        // A new change drops the step ahead.
        stroke(w, QPoint(100, 300));
        QVERIFY(!a.redo->isEnabled());
        QCOMPARE(w->document().historyUsage().undoSteps, 2);
        // Opening another picture starts a new history.
        QVERIFY(w->openPicture(samplePortrait()));
        QVERIFY(!a.undo->isEnabled() && !a.redo->isEnabled());
    }

    void shortcutsWalkTheHistoryBothWays() {
        TestWindow w;
        const auto& a = w->actions();
        QCOMPARE(a.undo->shortcuts(), QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
        QCOMPARE(a.redo->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))}));
        QVERIFY(w->openPicture(samplePortrait()));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&*w));
        w->actions().warp->trigger();
        const QImage original = displayImage(*w);
        stroke(w, QPoint(200, 200));
        const QImage first = displayImage(*w);
        stroke(w, QPoint(300, 250));
        const QImage second = displayImage(*w);
        QVERIFY(first != original && second != first);
        typeInto(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(displayImage(*w), first);
        typeInto(w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(displayImage(*w), original);
        QVERIFY(!a.undo->isEnabled());
        typeInto(w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(displayImage(*w), first);
        typeInto(w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(displayImage(*w), second);
        QVERIFY(!a.redo->isEnabled());
        QVERIFY(w.errors.isEmpty());
    }

    // Undo in the middle of a drag ends the stroke; what the drag does after
    // it is a step of its own once the button is let go.
    void undoDuringADragLeavesTheRestAsAStep() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        w->actions().putty->trigger();
        const QImage original = displayImage(*w);
        press(w->view(), QPoint(200, 200), Qt::LeftButton);
        moveHeld(w->view(), QPoint(230, 200), Qt::LeftButton);
        w->actions().undo->trigger();
        QCOMPARE(displayImage(*w), original);
        moveHeld(w->view(), QPoint(260, 230), Qt::LeftButton);
        release(w->view(), QPoint(260, 230), Qt::LeftButton);
        QVERIFY(displayImage(*w) != original);
        QCOMPARE(w->document().historyUsage().undoSteps, 1);
        QVERIFY(!w->actions().redo->isEnabled());
        w->actions().undo->trigger();
        QCOMPARE(displayImage(*w), original);
    }

    void redoButtonSitsBesideUndo() {
        TestWindow w;
        auto* bar = w->findChild<QToolBar*>(QStringLiteral("ToolBar1"));
        QVERIFY(bar);
        const QList<QAction*> buttons = bar->actions();
        const qsizetype undoAt = buttons.indexOf(w->actions().undo);
        QVERIFY(undoAt >= 0);
        QCOMPARE(buttons.value(undoAt + 1), w->actions().redo);
        QVERIFY(bar->widgetForAction(w->actions().redo));
        QVERIFY(!w->actions().redo->icon().isNull());
    }

    // A Reload that brought back a picture of another size is taken back
    // with its size, at zoom 100, and can be redone.
    void reloadIsAStepOfTheHistory() {
        TestWindow w;
        QImage wide(300, 200, QImage::Format_RGB32);
        wide.fill(Qt::darkCyan);
        const QString path = writeBmp(dir_, QStringLiteral("changing.bmp"), wide);
        QVERIFY(w->openPicture(path));
        QImage tall(150, 260, QImage::Format_RGB32);
        tall.fill(Qt::yellow);
        writeBmp(dir_, QStringLiteral("changing.bmp"), tall);
        w->actions().reload->trigger();
        QCOMPARE(w->view()->size(), QSize(150, 260));
        w->actions().zoomIn->trigger();
        w->actions().undo->trigger();
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->view()->size(), QSize(300, 200));
        QCOMPARE(displayImage(*w).pixel(10, 10), QColor(Qt::darkCyan).rgb());
        w->actions().redo->trigger();
        QCOMPARE(w->view()->size(), QSize(150, 260));
        QVERIFY(w.errors.isEmpty());
    }

    void memoryReadsInUnitsUsersKnow() {
        QLocale::setDefault(QLocale::c());
        QCOMPARE(memoryText(0), QStringLiteral("0 KB"));
        QCOMPARE(memoryText(1), QStringLiteral("1 KB"));
        QCOMPARE(memoryText(850 * 1024), QStringLiteral("850 KB"));
        QCOMPARE(memoryText(std::size_t(37.4 * 1024 * 1024)), QStringLiteral("37.4 MB"));
        QCOMPARE(memoryText(std::size_t{5} << 29), QStringLiteral("2.50 GB"));
    }
};

int main(int argc, char** argv) { return runTests<UndoHistoryTest>(argc, argv); }

#include "test_undo_history.moc"
