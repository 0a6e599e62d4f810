// The Filters menu: categories, running a filter from an item, "Execute last
// filter", Escape during a run, the progress caption, Load Filters.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include "app/filters_menu.h"
#include "app/load_filters_dialog.h"
#include "app/progress_window.h"
#include "app/status_line.h"
#include "app_test_support.h"
#include "support/pe_patch.h"

namespace mugwarp::testing {

namespace {

QStringList titles(const QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) out << a->text();
    }
    return out;
}

QMenu* submenu(const FiltersMenu& filters, const QString& title) {
    for (QAction* a : filters.menu()->actions()) {
        if (a->menu() && a->menu()->title() == title) return a->menu();
    }
    return nullptr;
}

QAction* item(const FiltersMenu& filters, const QString& category, const QString& name) {
    QMenu* menu = submenu(filters, category);
    if (!menu) return nullptr;
    for (QAction* a : menu->actions()) {
        if (a->text() == name) return a;
    }
    return nullptr;
}

// The test modules of one kind in a fresh folder.
QString folderWith(const QTemporaryDir& dir, const QString& name, const QStringList& modules) {
    QDir(dir.path()).mkpath(name);
    for (const QString& m : modules)
        QFile::copy(QStringLiteral(MUGWARP_TEST_MODULES "/") + m, dir.filePath(name + QLatin1Char('/') + m));
    return dir.filePath(name);
}

// Interior pixels only: a rebase makes the outermost ones transparent.
bool sameInterior(const QImage& a, const QImage& b) {
    return a.copy(1, 1, a.width() - 2, a.height() - 2) == b.copy(1, 1, b.width() - 2, b.height() - 2);
}

}  // namespace

class FiltersMenuTest : public QObject {
    Q_OBJECT

private slots:
    void categoriesInOrderWithCaseVariantsInTheFirstSubmenu() {
        TestWindow w;
        QTemporaryDir dir;
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(folderWith(dir, "a", {"blur_pair.8bf", "artistic.8bf", "upper_blur.8bf"}), true);
        QCOMPARE(filters.menu()->title(), QStringLiteral("Filters "));
        QCOMPARE(titles(filters.menu()).first(), QStringLiteral("LastFilter"));
        const QStringList categories = titles(filters.menu()).mid(1);
        QVERIFY(categories.indexOf("Artistic") < categories.indexOf("BLUR"));
        QVERIFY(!categories.contains("Blur"));
        QCOMPARE(titles(submenu(filters, "BLUR")), (QStringList{"Motion", "Zoom", "blur"}));
        QVERIFY(!filters.lastFilterAction()->isEnabled());
        QVERIFY(!w->menus().filters->menuAction()->isEnabled());  // until a picture is open
        QVERIFY(submenu(filters, "Mugwarp Adjust"));  // the start-up scan found the build's sample filters
    }

    void aWindowsBuildBesideItsNativeTwinSaysSo() {
        TestWindow w;
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(MUGWARP_SAMPLE_FILTERS, true);
        if (!QDir(QStringLiteral(MUGWARP_SAMPLE_FILTERS "/windows")).exists())
            QSKIP("the Windows builds of the samples need the mingw-w64 cross compiler");
        const QStringList items = titles(submenu(filters, "Mugwarp Adjust"));
        QCOMPARE(items.count("Invert"), 1);
        QCOMPARE(items.count("Invert (Windows)"), 1);
        if (QDir(QStringLiteral(MUGWARP_SAMPLE_FILTERS "/windows32")).exists())
            QCOMPARE(items.count("Invert (Windows, 32-bit)"), 1);
    }

    // Modules sharing a category and a name read apart by file; a category
    // led by a blank and a name counting its terminator read as typed.
    void modulesSharingANameReadApartAndStrayBytesAreGone() {
        TestWindow w;
        QTemporaryDir dir;
        const QString folder = folderWith(dir, "x", {"blur_pair.8bf", "stray_bytes.8bf"});
        QFile::copy(folder + "/blur_pair.8bf", folder + "/again.8bf");
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(folder, false);
        QCOMPARE(titles(submenu(filters, "Blur")),
                 (QStringList{"Zoom (again.8bf)", "Zoom (blur_pair.8bf)", "blur (again.8bf)", "blur (blur_pair.8bf)"}));
        QCOMPARE(titles(submenu(filters, "The Plugin Site")), QStringList{"HSL to RGB"});
    }

    void aModuleThatCannotRunIsListedGreyedWithTheReasonAsItsTip() {
        const QString module = QStringLiteral(MUGWARP_TEST_MODULES "/windows.8bf");
        if (!QFile::exists(module)) QSKIP("the Windows test module needs the mingw-w64 cross compiler");
        std::vector<std::uint8_t> bytes = test::readBytes(module.toStdString());
        QVERIFY(test::markAsDotNet(bytes));
        QTemporaryDir dir;
        test::writeBytes(dir.filePath("dotnet.8bf").toStdString(), bytes);
        TestWindow w;
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(dir.path(), false);
        QAction* wave = item(filters, "Distort", "Windows Wave");
        QVERIFY(wave);
        QVERIFY(!wave->isEnabled());
        QCOMPARE(wave->toolTip(), QStringLiteral(".NET filters cannot run here."));
        QVERIFY(wave->menu() == nullptr && submenu(filters, "Distort")->toolTipsVisible());
    }

    void itemsRunTheFilterTheyNameAndTheLastOneRepeats() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        QVERIFY(w->menus().filters->menuAction()->isEnabled());
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(MUGWARP_SAMPLE_FILTERS, false);
        QTemporaryDir dir;
        filters.buildFiltersMenu(folderWith(dir, "a", {"blur_pair.8bf"}), true);  // a rescan re-sorts the list
        for (QMenu* menu : {submenu(filters, "Blur"), submenu(filters, "Mugwarp Adjust")}) {
            QVERIFY(menu);
            for (QAction* a : menu->actions()) QVERIFY(a->objectName().startsWith("FilterItem"));
        }
        const QImage before = displayImage(*w);
        QAction* invert = item(filters, "Mugwarp Adjust", "Invert");
        QVERIFY(invert);
        invert->trigger();
        QVERIFY(w.errors.isEmpty());
        QCOMPARE(QString::fromStdString(filters.lastFilter()->getName()), QStringLiteral("Invert"));
        QImage inverted = before;
        inverted.invertPixels();
        QVERIFY(sameInterior(displayImage(*w), inverted));
        QCOMPARE(filters.lastFilterAction()->text(), QStringLiteral("Execute last filter"));
        QVERIFY(filters.lastFilterAction()->isEnabled());
        QVERIFY(!filters.progressWindow()->isVisible());

        filters.buildFiltersMenu(folderWith(dir, "b", {"artistic.8bf"}), true);
        filters.lastFilterAction()->trigger();  // still Invert after the rescan
        QVERIFY(sameInterior(displayImage(*w), before));
    }

    void escapeCancelsTheRunAndOtherKeysAreSwallowed() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        FiltersMenu& filters = *w->filtersMenu();
        filters.buildFiltersMenu(MUGWARP_SAMPLE_FILTERS, false);
        const QImage before = displayImage(*w);
        const int zoom = w->zoomPercent();
        QCoreApplication::postEvent(w.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier));
        QCoreApplication::postEvent(w.window.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        item(filters, "Mugwarp Adjust", "Invert")->trigger();
        QCoreApplication::processEvents();
        QVERIFY(w.errors.isEmpty());
        QVERIFY(sameInterior(displayImage(*w), before));
        QCOMPARE(w->zoomPercent(), zoom);
        QVERIFY(!filters.progressWindow()->isVisible());
        QVERIFY(filters.lastFilterAction()->isEnabled());
        QCOMPARE(w->statusLine()->currentMessage(), QStringLiteral("Filter 'Invert' cancelled"));
    }

    void aModuleThatCannotRunIsReportedByFileAndChangesNothing() {
        TestWindow w;
        QVERIFY(w->openPicture(samplePortrait()));
        FiltersMenu& filters = *w->filtersMenu();
        QTemporaryDir dir;
        filters.buildFiltersMenu(folderWith(dir, "a", {"missing_entry.8bf"}), true);
        const QImage before = displayImage(*w);
        item(filters, "Test", "Missing Entry")->trigger();
        QCOMPARE(w.errors.size(), 1);
        QVERIFY(w.errors.first().contains("missing_entry.8bf"));
        QCOMPARE(displayImage(*w), before);
        QVERIFY(!filters.lastFilterAction()->isEnabled());
        QVERIFY(!filters.progressWindow()->isVisible());
    }

    void progressCaptionAddsTheDotsOnlyWhenMissing() {
        ProgressWindow progress;
        progress.announce("Gaussian Blur...");
        QCOMPARE(progress.caption(), QStringLiteral("Applying Filter Gaussian Blur..."));
        progress.announce("Invert");
        QCOMPARE(progress.caption(), QStringLiteral("Applying Filter Invert..."));
        progress.setProgress(3, 4);
        QCOMPARE(progress.bar()->value(), 3);
        QVERIFY(progress.windowFlags() & Qt::FramelessWindowHint);
    }

    void loadFiltersAddsAnExistingFolderOnly() {
        TestWindow w;
        FiltersMenu& filters = *w->filtersMenu();
        LoadFiltersDialog& dialog = *filters.loadDialog();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Load Filters"));
        QVERIFY(dialog.includeBox()->isChecked());
        const int before = filters.plugins().count();
        QTemporaryDir dir;
        dialog.folderEdit()->setText(dir.filePath("missing"));
        dialog.loadButton()->click();
        QCOMPARE(filters.plugins().count(), before);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const QString folder = folderWith(dir, "top", {});
        folderWith(dir, "top/sub", {"artistic.8bf"});
        dialog.setFolderChooser([&](QWidget*) { return folder; });
        dialog.browseButton()->click();
        QCOMPARE(dialog.folderEdit()->text(), folder);
        dialog.includeBox()->setChecked(false);
        dialog.loadButton()->click();
        QCOMPARE(filters.plugins().count(), before);
        dialog.includeBox()->setChecked(true);
        dialog.loadButton()->click();
        QCOMPARE(filters.plugins().count(), before + 1);
        QVERIFY(item(filters, "Artistic", "Sketch"));
    }

    // A folder added with Load Filters is there again at the next start, with
    // the choice of sub-directories made; one removed since is passed over.
    void loadedFoldersComeBackAtTheNextStart() {
        QTemporaryDir dir;
        const QString deep = folderWith(dir, "deep", {});
        folderWith(dir, "deep/sub", {"artistic.8bf"});
        const QString flat = folderWith(dir, "flat", {});
        folderWith(dir, "flat/sub", {"blur_pair.8bf"});
        const QString gone = folderWith(dir, "gone", {"scripted.8bf"});
        {
            TestWindow w;
            LoadFiltersDialog& dialog = *w->filtersMenu()->loadDialog();
            const std::pair<QString, bool> loads[] = {{deep, true}, {flat, false}, {gone, true}};
            for (const auto& [folder, include] : loads) {
                dialog.folderEdit()->setText(folder);
                dialog.includeBox()->setChecked(include);
                dialog.loadButton()->click();
            }
            QVERIFY(item(*w->filtersMenu(), "Test", "Scripted"));
        }
        QVERIFY(QDir(gone).removeRecursively());
        TestWindow next;
        QVERIFY(item(*next->filtersMenu(), "Artistic", "Sketch"));
        QVERIFY(!item(*next->filtersMenu(), "Blur", "Zoom"));  // its folder without sub-directories
        QVERIFY(!item(*next->filtersMenu(), "Test", "Scripted"));
    }
};

}  // namespace mugwarp::testing

int main(int argc, char** argv) { return mugwarp::testing::runTests<mugwarp::testing::FiltersMenuTest>(argc, argv); }

#include "test_filters_menu.moc"
