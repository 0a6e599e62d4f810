// Filter settings kept from one session to the next: the editor saves them
// after each finished run and a filter's dialog starts from them after a
// restart; a damaged settings file is passed over.
#include <QAction>
#include <QMenu>
#include <QProcess>

#include "app/filters_menu.h"
#include "app_test_support.h"

namespace mugwarp::testing {

namespace {

QAction* probeItem(const FiltersMenu& filters) {
    for (QAction* a : filters.menu()->actions())
        if (a->menu() && a->menu()->title() == "Settings")
            for (QAction* i : a->menu()->actions())
                if (i->text() == "Scripted Settings") return i;
    return nullptr;
}

// A session: a fresh window (with runners of its own) over the portrait,
// the probe run once from its menu item with the colour the person picks.
QImage runProbeInAFreshEditor(const QColor& picked) {
    TestWindow w;
    if (!w->openPicture(samplePortrait())) return {};
    FiltersMenu& filters = *w->filtersMenu();
    filters.buildFiltersMenu(MUGWARP_FAULT_MODULES, false);
    filters.setColorChooser([picked](const QColor&) { return picked; });
    if (filters.lastFilterAction()->isEnabled()) return {};  // a repeat needs a run in this session
    probeItem(filters)->trigger();
    if (!w.errors.isEmpty()) qWarning() << w.errors;
    return w.errors.isEmpty() ? displayImage(*w) : QImage();
}

}  // namespace

class FilterSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void settingsSurviveARestartAndADamagedFileIsPassedOver() {
        const QDir folder(qEnvironmentVariable("XDG_CONFIG_HOME") + "/mugwarp/filter-settings");
        QVERIFY(folder.path().startsWith(QDir::tempPath()));

        const QImage first = runProbeInAFreshEditor(QColor(57, 0, 0));
        QVERIFY(!first.isNull());
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        const QString file = folder.filePath(folder.entryList(QDir::Files).first());

        // The command line applies the same saved settings without a dialog
        // and gives the editor's pixels (inside the border a filter run clears).
        QTemporaryDir out;
        const QString picture = out.filePath("headless.bmp");
        QCOMPARE(QProcess::execute(MUGWARP_CLI, {"edit", samplePortrait(), picture, "--plugins", MUGWARP_FAULT_MODULES,
                                                 "filter:Settings/Scripted Settings:last"}),
                 0);
        const QImage headless = QImage(picture).convertToFormat(QImage::Format_RGB32);
        const QImage shown = first.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(headless.copy(1, 1, headless.width() - 2, headless.height() - 2),
                 shown.copy(1, 1, shown.width() - 2, shown.height() - 2));

        // After a restart the dialog opens on the amount chosen before: the
        // person closes the colour dialog without choosing, and that amount stays.
        QCOMPARE(runProbeInAFreshEditor(QColor()), first);

        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("MWFS but nothing after it");
        damaged.close();
        const QImage fresh = runProbeInAFreshEditor(QColor(13, 0, 0));
        QVERIFY(!fresh.isNull());
        QVERIFY(fresh != first);
        QVERIFY(QFileInfo(file).size() > 100);  // the run saved its settings over the damaged file
        QCOMPARE(runProbeInAFreshEditor(QColor()), fresh);
    }
};

}  // namespace mugwarp::testing

int main(int argc, char** argv) { return mugwarp::testing::runTests<mugwarp::testing::FilterSettingsTest>(argc, argv); }
#include "test_filter_settings.moc"
