// Filters that crash, exit, hang or run out of memory: the editor reports the
// filter by name, keeps its picture and runs the next filter normally.
#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include "app/filters_menu.h"
#include "app/progress_window.h"
#include "app_test_support.h"

namespace mugwarp::testing {

namespace {

QAction* item(const FiltersMenu& filters, const QString& category, const QString& name) {
    for (QAction* a : filters.menu()->actions())
        if (a->menu() && a->menu()->title() == category)
            for (QAction* i : a->menu()->actions())
                if (i->text() == name) return i;
    return nullptr;
}

bool sameInterior(const QImage& a, const QImage& b) {
    return a.copy(1, 1, a.width() - 2, a.height() - 2) == b.copy(1, 1, b.width() - 2, b.height() - 2);
}

}  // namespace

class FilterFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void aFaultyFilterIsReportedAndTheEditorStaysUsable_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("pressEscape");
        QTest::newRow("crash") << "Crash in continue" << "The filter 'Crash in continue' stopped unexpectedly" << false;
        QTest::newRow("exit") << "Exit in parameters" << "The filter 'Exit in parameters' stopped unexpectedly" << false;
        QTest::newRow("memory") << "Allocate in start" << "The filter 'Allocate in start' stopped unexpectedly" << false;
        QTest::newRow("hang") << "Hang in start" << "The filter 'Hang in start' stopped responding and was ended." << true;
    }

    void aFaultyFilterIsReportedAndTheEditorStaysUsable() {
        QFETCH(QString, filter);
        QFETCH(QString, message);
        QFETCH(bool, pressEscape);
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(MUGWARP_SAMPLE_FILTERS, false);
        filters.buildFiltersMenu(MUGWARP_FAULT_MODULES, false);
        QAction* invert = item(filters, "Mugwarp Adjust", "Invert");
        invert->trigger();  // the runner is up before the faulty filter comes
        const QImage before = displayImage(*w);
        if (pressEscape)
            QCoreApplication::postEvent(w.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        item(filters, "Faults", filter)->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY2(w.errors.first().startsWith(message), qPrintable(w.errors.first()));
        QCOMPARE(displayImage(*w), before);
        QCOMPARE(QString::fromStdString(filters.lastFilter()->getName()), QStringLiteral("Invert"));
        QVERIFY(!filters.progressWindow()->isVisible());

        invert->trigger();
        QCOMPARE(w.errors.size(), 1);
        QImage inverted = before;
        inverted.invertPixels();
        QVERIFY(sameInterior(displayImage(*w), inverted));
    }

    // A crash changed no pixel: nothing to undo, no "*", no question at exit.
    void aCrashedRunLeavesNoStepAndNoChangedMark() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(MUGWARP_FAULT_MODULES, false);
        item(filters, "Faults", "Crash in continue")->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(!w->document().isModified());
        QVERIFY(!w->actions().undo->isEnabled());
        QVERIFY(!w->isWindowModified());
    }
};

}  // namespace mugwarp::testing

QTEST_MAIN(mugwarp::testing::FilterFaultsTest)
#include "test_filter_faults.moc"
