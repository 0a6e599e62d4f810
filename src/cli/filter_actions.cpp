#include "cli/filter_actions.h"

#include <cstdlib>

#include "document/document.h"
#include "formats/file_io.h"
#include "filterapply/filter_application.h"
#include "filterproc/program_files.h"
#include "pshost/filter_names.h"
#include "raster/error.h"

namespace mugwarp::cli {

namespace {
const std::string kFilterPrefix = "filter:";
const std::string kRepeat = "filter-repeat";
const std::string kSettingsFrom = "settings=";
const std::string kLast = "last";
const std::string kDialog = "dialog";

// Wine shows a Windows filter's dialog on the X display (or through
// XWayland); without one the dialog cannot open and the filter gives up.
bool haveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

std::string cancelledMessage(const PIPLManager& entry, bool withDialog) {
    std::string message = "The filter '" + entry.getName() + "' was cancelled; the picture is unchanged.";
    // A repeat or a run on saved settings shows no dialog, so only a run with it can have missed one.
    if (withDialog && entry.moduleKind != ModuleKind::Native && !haveDisplay())
        message += " It needs a display for its dialog, and there is none (DISPLAY is not set).";
    return message;
}

}  // namespace

PIPLManager& pickFilterOrThrow(PSPluginList& plugins, const std::string& wanted, const std::string& folder) {
    const FilterPick pick = pickFilter(plugins, wanted);
    if (pick.entry) return *pick.entry;
    if (!pick.candidates.empty()) {
        std::string message = "The filter name " + wanted + " is shared by " + std::to_string(pick.candidates.size()) +
                              " modules in " + folder + "; name one of them as the Filters menu does:";
        for (const std::string& candidate : pick.candidates) message += "\n  filter:" + candidate;
        throw Error(message);
    }
    throw Error("no filter " + wanted + " in " + folder + " (mugwarp-cli filters lists them)");
}

FilterChoice parseFilterChoice(const std::string& arguments) {
    // The file's path may hold anything, so the first ":settings=" ends the name.
    const std::size_t fromFile = arguments.find(":" + kSettingsFrom);
    if (fromFile != std::string::npos) return {arguments.substr(0, fromFile), arguments.substr(fromFile + 1)};
    for (const std::string& suffix : {kLast, kDialog})
        if (arguments.ends_with(":" + suffix)) return {arguments.substr(0, arguments.size() - suffix.size() - 1), suffix};
    return {arguments, {}};
}

FilterSettings FilterActions::settingsFor(const PIPLManager& entry, const std::string& source) const {
    const std::string filter = '\'' + entry.getName() + '\'';
    if (source == kLast) {
        std::string why;
        auto saved = store_.load(entry, &why);
        if (!saved) throw Error("There are no saved settings for the filter " + filter + " to use: " + why + ".");
        return *saved;
    }
    const std::string file = source.substr(kSettingsFrom.size());
    std::vector<std::uint8_t> bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const Error&) {
        throw Error("Cannot read the filter settings file " + file + ".");
    }
    std::string problem;
    const auto saved = parseSettingsFile(bytes, &problem);
    if (!saved) throw Error("The file " + file + " holds no filter settings: it is " + problem + ".");
    const std::string mismatch = mismatchBetween(saved->module, identityOf(entry));
    if (!mismatch.empty()) throw Error("The settings in " + file + " do not fit the filter " + filter + ": " + mismatch + ".");
    return saved->settings;
}

bool FilterActions::isFilterAction(const std::string& action) {
    return action.starts_with(kFilterPrefix) || action == kRepeat;
}

PIPLManager& FilterActions::find(const std::string& wanted) {
    // Every module is read: a name that several of them share must be known
    // to be shared before one of them runs.
    if (!plugins_) {
        plugins_ = std::make_unique<PSPluginList>();
        plugins_->scanDirectory(folder_, true);
    }
    return pickFilterOrThrow(*plugins_, wanted, folder_);
}

filterproc::FilterRunnerHost& FilterActions::host() {
    if (!host_) {
        runners_ = std::make_unique<filterproc::FilterRunners>(
            filterproc::defaultRunnerLocations(filterproc::executableDirectory()), timings_);
        host_ = std::make_unique<filterproc::FilterRunnerHost>(*runners_);
    }
    return *host_;
}

void FilterActions::startRunnerEarly(const std::string& action) {
    if (!action.starts_with(kFilterPrefix)) return;
    try {
        host().startRunnerEarly(find(parseFilterChoice(action.substr(kFilterPrefix.size())).categoryAndName));
    } catch (const Error&) {
    }
}

void FilterActions::apply(Document& document, const std::string& action) {
    const bool repeat = action == kRepeat;
    if (repeat && !last_) throw Error("filter-repeat: no filter has run yet");
    const FilterChoice choice = repeat ? FilterChoice{} : parseFilterChoice(action.substr(kFilterPrefix.size()));
    PIPLManager& entry = repeat ? *last_ : find(choice.categoryAndName);
    if (choice.settings == kDialog) {
        const bool finished = runWithDialog(document, entry);
        last_ = &entry;
        if (!finished) throw Error(cancelledMessage(entry, false));
        return;
    }
    filterproc::FilterRunnerHost& filterHost = host();
    filterHost.options.startSettings = choice.settings.empty() ? FilterSettings{} : settingsFor(entry, choice.settings);
    filterHost.options.showDialog = choice.settings.empty();
    filterHost.options.parentWindow = 0;
    const bool finished = applyFilter(document, filterHost, entry, repeat, mask_);
    last_ = &entry;
    if (!finished) throw Error(cancelledMessage(entry, !repeat && filterHost.options.showDialog));
}

// As the Filters menu runs it: the dialog opens on the settings saved last,
// a person answers it (so no time limit), and what it ends with is saved for
// the next ":last" or the editor.
bool FilterActions::runWithDialog(Document& document, PIPLManager& entry) {
    if (!haveDisplay())
        throw Error("The filter '" + entry.getName() + "' cannot show its dialog: there is no display (DISPLAY is not set).");
    filterproc::FilterRunnerHost& filterHost = host();
    filterHost.options.startSettings = store_.load(entry).value_or(FilterSettings{});
    filterHost.options.showDialog = true;
    // Any window id says a display is there; none of ours is the dialog's owner.
    filterHost.options.parentWindow = 1;
    runners_->setRunTimeout(0);
    struct Restore {
        FilterActions& actions;
        ~Restore() {
            actions.runners_->setRunTimeout(actions.timings_.runTimeoutMs);
            actions.host_->options.parentWindow = 0;
        }
    } restore{*this};
    const bool finished = applyFilter(document, filterHost, entry, false, mask_);
    if (finished && !filterHost.lastSettings().empty()) store_.save({identityOf(entry), filterHost.lastSettings()});
    return finished;
}

}  // namespace mugwarp::cli
