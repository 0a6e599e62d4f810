#include "cli/edit_actions.h"

namespace mugwarp::cli {

namespace {

// A filter works on the picture as shown, as from the Filters menu; a flat
// tool in use ends first, as choosing the arrow tool ends it.
Action filterStep(std::string word) {
    return [word](EditSession& s) {
        s.strokes.release();
        if (isFlatTool(s.document.currentTool())) s.document.selectArrowTool();
        s.filters.apply(s.document, word);
    };
}

}  // namespace

void addFilterActions(ActionTable& table) {
    table["filter"] = {"filter:CATEGORY/NAME[:settings=FILE|:last]", [](std::string_view arguments) -> Action {
                           if (arguments.find('/') == std::string_view::npos)
                               throw UsageError{"the filter is CATEGORY/NAME, as 'mugwarp-cli filters' lists it"};
                           return filterStep("filter:" + std::string(arguments));
                       }};
    table["filter-repeat"] = {"filter-repeat", [](std::string_view arguments) -> Action {
                                  if (!arguments.empty()) throw UsageError{"filter-repeat takes nothing"};
                                  return filterStep("filter-repeat");
                              }};
}

}  // namespace mugwarp::cli
