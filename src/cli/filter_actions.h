#pragma once
#include <memory>
#include <string>

#include "filterapply/filter_settings_store.h"
#include "filterproc/filter_runner_host.h"
#include "pshost/plugin_list.h"
#include "raster/displacement_map.h"

namespace mugwarp {
class Document;
}

namespace mugwarp::cli {

// The filter steps of an edit script: "filter:CATEGORY/NAME" runs a filter
// (with its defaults: there is no display for its dialog), followed by
// ":settings=FILE" with the settings in that file and by ":last" with the ones
// the editor saved, both without its dialog, and by ":dialog" with its dialog
// on a display, starting from the saved settings and saving what it ends
// with, as the editor does; "filter-repeat" runs the last one
// again with the parameters it kept. The plug-in folder and its
// sub-directories are scanned once, at the first filter step. A filter is
// named as "CATEGORY/NAME", by its caption in the Filters menu where modules
// share a name, or as "CATEGORY/NAME@FILE"; a name that is shared fails with
// the captions that tell them apart. Filters run in the runner for their
// module kind (native, or Windows under Wine).
class FilterActions {
public:
    explicit FilterActions(std::string pluginFolder) : folder_(std::move(pluginFolder)) {}

    static bool isFilterAction(const std::string& action);
    // A new script begins (the next picture of a batch): "filter-repeat"
    // needs a filter of its own script first. Runners stay as they are.
    void beginScript() { last_ = nullptr; }
    // Throws Error for an unknown filter, a repeat before any filter, or a
    // filter that fails or is cancelled (by its own Cancel, a timeout, or a
    // dialog that could not be shown): there is no one to tell otherwise, and
    // a script must not go on as if the filter had run.
    void apply(Document& document, const std::string& action);
    // The runner of the script's first filter step is started now, to be
    // ready when the step comes; what is wrong with the step (an unknown
    // filter) is left for the step to report.
    void startRunnerEarly(const std::string& action);
    // A run longer than this is stopped as if Escape had been pressed (the
    // filter is ended 2 s later if it does not come back); 0: no limit. A
    // run with its dialog, where a person answers, has none.
    void setRunTimeout(int milliseconds) { timings_.runTimeoutMs = milliseconds; }
    // Scripts run without anyone watching: no filter may wait for ever.
    static constexpr int kDefaultRunTimeoutMs = 300 * 1000;
    // No filter runs after this (the script has ended): the runners leave
    // while the result is saved, instead of being waited for at the end.
    void letRunnersGo() {
        if (runners_) runners_->letRunnersGo();
    }

private:
    PIPLManager& find(const std::string& categoryAndName);
    FilterSettings settingsFor(const PIPLManager& entry, const std::string& source) const;
    bool runWithDialog(Document& document, PIPLManager& entry);
    filterproc::FilterRunnerHost& host();

    std::string folder_;
    std::unique_ptr<PSPluginList> plugins_;
    filterproc::RunnerTimings timings_;
    std::unique_ptr<filterproc::FilterRunners> runners_;
    std::unique_ptr<filterproc::FilterRunnerHost> host_;
    ByteMap mask_;
    PIPLManager* last_ = nullptr;
    FilterSettingsStore store_;
};

// "CATEGORY/NAME", and what follows it: "settings=FILE", "last", "dialog" or nothing.
struct FilterChoice {
    std::string categoryAndName;
    std::string settings;
};
FilterChoice parseFilterChoice(const std::string& arguments);

// The filter wanted names (see pickFilter); throws Error for none, or for a
// name several modules share, listing the captions that tell them apart.
PIPLManager& pickFilterOrThrow(PSPluginList& plugins, const std::string& wanted, const std::string& folder);

}  // namespace mugwarp::cli
