#include <QAction>
#include <QToolBar>

#include "app_test_support.h"

using namespace mugwarp;
using namespace mugwarp::testing;

namespace {

void stroke(TestWindow& w, QPoint p) {
    press(w->view(), p, Qt::LeftButton);
    moveHeld(w->view(), p + QPoint(30, 10), Qt::LeftButton);
    release(w->view(), p + QPoint(30, 10), Qt::LeftButton);
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
        a.putty->trigger();
        stroke(w, QPoint(200, 200));
        stroke(w, QPoint(300, 300));
        QVERIFY(a.undo->isEnabled() && !a.redo->isEnabled());
        QVERIFY2(a.undo->toolTip().startsWith(QStringLiteral("Undo (2 steps back; history uses ")),
                 qPrintable(a.undo->toolTip()));
        a.undo->trigger();
        QVERIFY(a.redo->isEnabled() && a.redo->toolTip().startsWith(QStringLiteral("Redo (1 step ahead; ")));
        stroke(w, QPoint(100, 300));  // drops the step ahead
        QVERIFY(!a.redo->isEnabled());
        // Undo in the middle of a drag ends its stroke; the rest of the drag is a step of its own.
        const QImage before = displayImage(*w);
        press(w->view(), QPoint(200, 200), Qt::LeftButton);
        moveHeld(w->view(), QPoint(230, 200), Qt::LeftButton);
        a.undo->trigger();
        moveHeld(w->view(), QPoint(260, 230), Qt::LeftButton);
        release(w->view(), QPoint(260, 230), Qt::LeftButton);
        QCOMPARE(w->document().historyUsage().undoSteps, 3);
        a.undo->trigger();
        QCOMPARE(displayImage(*w), before);
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
        const auto type = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(&*w, key, modifiers); };
        a.warp->trigger();
        QList<QImage> shown{displayImage(*w)};
        for (QPoint p : {QPoint(200, 200), QPoint(300, 250)}) stroke(w, p), shown << displayImage(*w);
        type(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(displayImage(*w), shown[1]);
        type(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(displayImage(*w) == shown[0] && !a.undo->isEnabled());
        type(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(displayImage(*w), shown[1]);
        type(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(displayImage(*w) == shown[2] && !a.redo->isEnabled());
        // The Redo button sits beside Undo.
        const QList<QAction*> buttons = w->findChild<QToolBar*>(QStringLiteral("ToolBar1"))->actions();
        QCOMPARE(buttons.value(buttons.indexOf(a.undo) + 1), a.redo);
    }

    // A Reload that brought another size is taken back with its size, at zoom 100.
    void reloadIsAStepOfTheHistory() {
        TestWindow w;
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QString path = writeBmp(dir_, QStringLiteral("changing.bmp"), picture);
        QVERIFY(w->openPicture(path));
        writeBmp(dir_, QStringLiteral("changing.bmp"), picture.scaled(150, 260));
        w->actions().reload->trigger();
        w->actions().zoomIn->trigger();
        w->actions().undo->trigger();
        QCOMPARE(w->zoomPercent(), 100);
        QCOMPARE(w->view()->size(), QSize(300, 200));
        w->actions().redo->trigger();
        QCOMPARE(w->view()->size(), QSize(150, 260));
    }
};

int main(int argc, char** argv) { return runTests<UndoHistoryTest>(argc, argv); }

#include "test_undo_history.moc"
