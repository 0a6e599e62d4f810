#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/filter_run_session.h"
#include "filterapply/filter_settings_store.h"
#include "filterproc/filter_runner_host.h"
#include "pshost/plugin_list.h"
#include "raster/displacement_map.h"

class QAction;
class QMenu;
class QWidget;

namespace mugwarp {

class Document;
class LoadFiltersDialog;
class ProgressWindow;

// The Filters menu and everything behind it: the discovered plug-ins, one
// submenu per category, running a filter over the displayed picture with the
// progress window, "Execute last filter", and the Load Filters dialog. Filters
// run in a runner process of their module kind, never in the editor's.
class FiltersMenu : public QObject {
    Q_OBJECT
public:
    // Runs a command so that what it throws is reported.
    using CommandRunner = std::function<void(const std::function<void()>&)>;

    FiltersMenu(Document& document, QWidget* window, CommandRunner runCommand);
    ~FiltersMenu() override;

    QMenu* menu() const { return menu_; }
    QAction* lastFilterAction() const { return lastFilter_; }
    ProgressWindow* progressWindow() const { return progress_.get(); }
    LoadFiltersDialog* loadDialog() const { return loadDialog_.get(); }
    PSPluginList& plugins() { return plugins_; }
    filterproc::FilterRunnerHost& host() { return host_; }
    const PIPLManager* lastFilter() const { return last_; }

    // Adds the filters below folder and rebuilds the category submenus from
    // the whole list, so every item runs the filter whose name it shows.
    void buildFiltersMenu(const QString& folder, bool includeSubdirectories);
    // Runs one filter (repeat: with the parameters of the last run, without
    // its dialog); errors go to the command runner's report.
    void runFilter(PIPLManager& entry, bool repeat);
    void executeLastFilter();
    // File > Load Filter Plug-Ins...: the dialog, modal.
    void showLoadDialog();

    void setColorChooser(FilterRunSession::ColorChooser chooser) { chooseColor_ = std::move(chooser); }

signals:
    // The user stopped a run (Escape); the picture is as it was.
    void cancelled(const QString& filterName);

private:
    void rebuildCategoryMenus();
    void runUnreported(PIPLManager& entry, bool repeat);
    void keepSettings(const PIPLManager& entry);

    Document& document_;
    QWidget* window_;
    CommandRunner runCommand_;
    PSPluginList plugins_;
    filterproc::FilterRunners runners_;
    filterproc::FilterRunnerHost host_;
    ByteMap mask_;
    PIPLManager* last_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* lastFilter_ = nullptr;
    std::unique_ptr<ProgressWindow> progress_;
    std::unique_ptr<LoadFiltersDialog> loadDialog_;
    FilterRunSession::ColorChooser chooseColor_;
    QColor lastColor_;
    FilterSettingsStore settingsStore_;  // the folder as it is when the window opens
};

}  // namespace mugwarp
