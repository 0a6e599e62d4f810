#pragma once
#include <memory>
#include <string>

#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"
#include "raster/displacement_map.h"

namespace mugwarp {
class Document;
}

namespace mugwarp::cli {

// The filter steps of an edit script: "filter:CATEGORY/NAME" runs a filter
// (with its defaults: there is no display for its dialog) and "filter-repeat"
// runs the last one again with the parameters it kept. The plug-in folder is
// scanned, with its sub-directories, at the first filter step.
class FilterActions {
public:
    explicit FilterActions(std::string pluginFolder) : folder_(std::move(pluginFolder)) {}

    static bool isFilterAction(const std::string& action);
    // Throws Error for an unknown filter, a repeat before any filter, or a
    // filter that fails; a cancelled filter leaves the picture as it was.
    void apply(Document& document, const std::string& action);

private:
    PIPLManager& find(const std::string& categoryAndName);

    std::string folder_;
    std::unique_ptr<PSPluginList> plugins_;
    PSFilterHost host_;
    ByteMap mask_;
    PIPLManager* last_ = nullptr;
};

}  // namespace mugwarp::cli
