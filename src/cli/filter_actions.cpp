#include "cli/filter_actions.h"

#include <cstdlib>
#include <filesystem>

#include "document/document.h"
#include "filterapply/filter_application.h"
#include "raster/error.h"

namespace mugwarp::cli {

namespace {
const std::string kFilterPrefix = "filter:";
const std::string kRepeat = "filter-repeat";

// Wine shows a Windows filter's dialog on the X display (or through
// XWayland); without one the dialog cannot open and the filter gives up.
bool haveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

std::string cancelledMessage(const PIPLManager& entry, bool repeat) {
    std::string message = "The filter '" + entry.getName() + "' was cancelled; the picture is unchanged.";
    // A repeat shows no dialog, so only a first run can have missed one.
    if (!repeat && entry.moduleKind != ModuleKind::Native && !haveDisplay())
        message += " It needs a display for its dialog, and there is none (DISPLAY is not set).";
    return message;
}

}  // namespace

bool FilterActions::isFilterAction(const std::string& action) {
    return action.starts_with(kFilterPrefix) || action == kRepeat;
}

PIPLManager& FilterActions::find(const std::string& categoryAndName) {
    if (!plugins_) {
        plugins_ = std::make_unique<PSPluginList>();
        plugins_->scanDirectory(folder_, true);
    }
    // Categories may hold a '/', names rarely do: the last one divides them.
    const std::size_t slash = categoryAndName.rfind('/');
    if (slash != std::string::npos) {
        const std::string category = categoryAndName.substr(0, slash), name = categoryAndName.substr(slash + 1);
        for (int i = 0; i < plugins_->count(); ++i) {
            PIPLManager& e = plugins_->item(i);
            if (e.getCategory() == category && e.getName() == name) return e;
        }
    }
    throw Error("no filter " + categoryAndName + " in " + folder_ + " (mugwarp-cli filters lists them)");
}

void FilterActions::apply(Document& document, const std::string& action) {
    const bool repeat = action == kRepeat;
    if (repeat && !last_) throw Error("filter-repeat: no filter has run yet");
    PIPLManager& entry = repeat ? *last_ : find(action.substr(kFilterPrefix.size()));
    if (!host_) {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        runners_ = std::make_unique<filterproc::FilterRunners>(
            filterproc::defaultRunnerLocations(error ? "." : executable.parent_path().string()), timings_);
        host_ = std::make_unique<filterproc::FilterRunnerHost>(*runners_);
    }
    const bool finished = applyFilter(document, *host_, entry, repeat, mask_);
    last_ = &entry;
    if (!finished) throw Error(cancelledMessage(entry, repeat));
}

}  // namespace mugwarp::cli
