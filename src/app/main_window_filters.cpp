#include <QMenuBar>

#include "app/filters_menu.h"
#include "app/main_window.h"
#include "app/plugin_folders.h"
#include "app/status_line.h"

namespace mugwarp {

// Filters sits before Help; its category submenus come from the start-up scan.
void MainWindow::buildFiltersMenu() {
    filters_ = std::make_unique<FiltersMenu>(document_, this, [this](const std::function<void()>& command) {
        strokes_.release();
        // A filter works on the picture as shown; the flat view would hide its result.
        if (isFlatTool(document_.currentTool())) selectArrowTool();
        run(command);
    });
    menus_.filters = filters_->menu();
    connect(filters_.get(), &FiltersMenu::cancelled, this, [this](QString name) {
        // "Gaussian Blur..." promises a dialog, which is no part of the filter's name.
        while (name.endsWith(QLatin1Char('.')) || name.endsWith(QChar(0x2026))) name.chop(1);
        status_->tell(QStringLiteral("Filter '%1' cancelled").arg(name));
    });
    menuBar()->insertMenu(menus_.help->menuAction(), menus_.filters);
    menus_.filters->menuAction()->setEnabled(false);
}

void MainWindow::buildLoadFiltersCommand(QMenu* fileMenu) {
    actions_.loadFilters = addCommand(fileMenu, QStringLiteral("&Load Filter Plug-Ins..."), "LoadFilterPlugIns1",
                                      [this] { filters_->showLoadDialog(); });
}

// Folders added with Load Filters come back at every start; one since
// removed or unplugged is passed over (a scan of a missing folder adds nothing).
void MainWindow::scanPlugIns() {
    for (const QString& folder : pluginFolders(QString::fromStdString(document_.baseDir())))
        filters_->buildFiltersMenu(folder, true);
    for (const LoadedFilterFolder& loaded : loadedFilterFolders())
        filters_->buildFiltersMenu(loaded.folder, loaded.includeSubdirectories);
}

}  // namespace mugwarp
