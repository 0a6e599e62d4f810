#include "app/filters_menu.h"

#include <QAction>
#include <QColorDialog>
#include <QCoreApplication>
#include <QMenu>

#include "app/load_filters_dialog.h"
#include "app/plugin_folders.h"
#include "app/progress_window.h"
#include "app/wait_pumping.h"
#include "document/document.h"
#include "filterapply/filter_application.h"
#include "pshost/filter_names.h"

namespace mugwarp {

namespace {

// Menu captions compare without regard to case or '&' hot-key markers.
QString comparable(QString caption) { return caption.remove(QLatin1Char('&')).toCaseFolded(); }

constexpr int kProgressLingerMs = 200;

}  // namespace

FiltersMenu::FiltersMenu(Document& document, QWidget* window, CommandRunner runCommand)
    : document_(document),
      window_(window),
      runCommand_(std::move(runCommand)),
      runners_(filterproc::defaultRunnerLocations(QCoreApplication::applicationDirPath().toStdString())),
      host_(runners_),
      progress_(std::make_unique<ProgressWindow>(window)),
      loadDialog_(std::make_unique<LoadFiltersDialog>(
          [this](const QString& folder, bool include) {
              buildFiltersMenu(folder, include);
              rememberLoadedFilterFolder(folder, include);
          },
          window)) {
    menu_ = new QMenu(QStringLiteral("Filters "), window);
    menu_->setObjectName(QStringLiteral("FilterMenu"));
    lastFilter_ = menu_->addAction(QStringLiteral("LastFilter"));
    lastFilter_->setObjectName(QStringLiteral("miLastFilter"));
    lastFilter_->setEnabled(false);
    connect(lastFilter_, &QAction::triggered, this, [this] { executeLastFilter(); });
    menu_->addSeparator();

    chooseColor_ = [this](const QColor& initial) {
        const QColor chosen = QColorDialog::getColor(lastColor_.isValid() ? lastColor_ : initial, window_);
        if (chosen.isValid()) lastColor_ = chosen;
        return chosen;
    };
    // Filters put their dialogs over the main window.
    host_.options.parentWindow = static_cast<std::uint64_t>(window->winId());
}

FiltersMenu::~FiltersMenu() = default;

void FiltersMenu::buildFiltersMenu(const QString& folder, bool includeSubdirectories) {
    plugins_.scanDirectory(folder.toStdString(), includeSubdirectories);
    rebuildCategoryMenus();
}

void FiltersMenu::rebuildCategoryMenus() {
    for (QAction* action : menu_->actions()) {
        if (action->menu()) {
            menu_->removeAction(action);
            action->menu()->deleteLater();
        }
    }
    QMenu* current = nullptr;
    int counter = 0;
    // Filters sharing a name read apart: by bitness, then by file.
    const std::vector<std::string> captions = filterCaptions(plugins_);
    for (int i = 0; i < plugins_.count(); ++i) {
        PIPLManager& entry = plugins_.item(i);
        const QString category = QString::fromStdString(entry.getCategory());
        if (current && current->title() != category) {
            current = nullptr;
            for (QAction* action : menu_->actions()) {
                if (action->menu() && comparable(action->menu()->title()) == comparable(category)) {
                    current = action->menu();
                    break;
                }
            }
        }
        if (!current) {
            current = menu_->addMenu(category);
            current->setObjectName(QStringLiteral("CategoryItem%1").arg(counter++));
        }
        QAction* item = current->addAction(QString::fromStdString(captions[i]));
        item->setObjectName(QStringLiteral("FilterItem%1").arg(i));
        // A filter that cannot run here stays listed, greyed, and says why.
        if (QString why = QString::fromStdString(host_.whyCannotRun(entry)); !why.isEmpty()) {
            why[0] = why[0].toUpper();
            item->setEnabled(false);
            item->setToolTip(why);
            current->setToolTipsVisible(true);
        }
        PIPLManager* target = &entry;
        connect(item, &QAction::triggered, this, [this, target] { runFilter(*target, false); });
    }
}

void FiltersMenu::runFilter(PIPLManager& entry, bool repeat) {
    runCommand_([&] { runUnreported(entry, repeat); });
}

void FiltersMenu::executeLastFilter() {
    if (last_) runFilter(*last_, true);
}

void FiltersMenu::runUnreported(PIPLManager& entry, bool repeat) {
    if (!document_.pictureLoaded()) return;
    try {
        FilterRunSession session(*progress_, QString::fromStdString(entry.getName()), chooseColor_);
        host_.setClient(&session);
        struct Detach {
            filterproc::FilterRunnerHost& host;
            ~Detach() { host.setClient(nullptr); }
        } detach{host_};
        // A dialog opens on the settings the filter was last run with, also in
        // an earlier session, where the filter reads them.
        host_.options.startSettings = repeat ? FilterSettings{} : settingsStore_.load(entry).value_or(FilterSettings{});
        host_.options.showDialog = true;
        const bool finished = applyFilter(document_, host_, entry, repeat, mask_);
        if (finished) keepSettings(entry);
        if (!finished) emit cancelled(QString::fromStdString(entry.getName()));
        last_ = &entry;
        lastFilter_->setText(QStringLiteral("Execute last filter"));
        lastFilter_->setEnabled(true);
        if (progress_->isVisible()) waitPumping(kProgressLingerMs);
    } catch (...) {
        progress_->hide();
        throw;
    }
    progress_->hide();
}

// Settings that cannot be written cost the next session its starting point,
// not this run: the debug log says so and the picture stays filtered.
void FiltersMenu::keepSettings(const PIPLManager& entry) {
    const FilterSettings& settings = host_.lastSettings();
    if (settings.empty()) return;
    try {
        settingsStore_.save({identityOf(entry), settings});
    } catch (const std::exception& e) {
        debugNote(std::string("not saved: ") + e.what());
    }
}

void FiltersMenu::showLoadDialog() { loadDialog_->exec(); }

}  // namespace mugwarp
