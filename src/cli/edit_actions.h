#pragma once
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/filter_actions.h"
#include "document/document.h"
#include "document/flat_tools.h"
#include "edit/overlay_stack.h"
#include "warp/pixel_point.h"
#include "warp/stroke_controller.h"

namespace mugwarp::cli {

// The document an editing script works on, at 100 % zoom, with the same
// controllers the editor's view drives.
// A session either has filters of its own or shares them with the sessions
// before it (a batch keeps its runners warm from one picture to the next).
struct EditSession {
    EditSession(std::ostream& output, std::string pluginFolder)
        : out(output), ownFilters_(std::make_unique<FilterActions>(std::move(pluginFolder))), filters(*ownFilters_) {}
    explicit EditSession(std::ostream& output) : EditSession(output, std::string()) {}
    EditSession(std::ostream& output, FilterActions& shared) : out(output), filters(shared) { filters.beginScript(); }
    Document document;
    StrokeController strokes{document};
    FlatTools flat{document};
    OverlayStack overlays;  // drawn into the saved picture
    std::ostream& out;  // what actions print (a picked colour)

private:
    std::unique_ptr<FilterActions> ownFilters_;

public:
    FilterActions& filters;
};

// A bad word on the command line; the command exits with 2.
struct UsageError {
    std::string message;
};
// An action that cannot be carried out on this picture; the command exits with 1.
struct ActionError {
    std::string message;
};

using Action = std::function<void(EditSession&)>;
// Parses the text after "NAME:" (empty for a bare NAME) into an action;
// throws UsageError naming what is wrong.
using ActionParser = std::function<Action(std::string_view arguments)>;

struct ActionFamily {
    std::string syntax;  // one usage line per action, e.g. "rotate:180|cw|ccw"
    ActionParser parse;
};
using ActionTable = std::map<std::string, ActionFamily, std::less<>>;

// Every action the edit command knows, by name. Each family of actions lives
// in its own file and adds itself in edit_actions.cpp.
const ActionTable& actionTable();
void addWarpActions(ActionTable& table);    // the brushes, freeze-none, freeze-invert, undo, redo, restore
void addCanvasActions(ActionTable& table);  // rotate, resize
void addFlatActions(ActionTable& table);    // erase, paint, pick, crop
void addOverlayActions(ActionTable& table); // clipart, text
void addFilterActions(ActionTable& table);  // filter, filter-repeat
void addFaceActions(ActionTable& table);    // face

// Parses one ACTION word ("NAME" or "NAME:ARGUMENTS").
Action parseAction(const std::string& word);
// Whether the ACTION word goes back or forth in the history (undo, redo).
bool walksHistory(const std::string& word);
// Loads input into the session and runs steps over it. The history is kept
// only for the first historyNeeded steps (up to the last undo or redo): the
// changes after them are never undone, so nothing is copied or packed for
// them.
void replay(EditSession& session, const std::string& input, const std::vector<Action>& steps,
            std::size_t historyNeeded);
// "--size S" or "--effect E", which hold from their place in the script on;
// nothing for any other option.
std::optional<Action> parseBrushOption(const std::string& option, const std::string& value);
bool isBrushOption(const std::string& option);

// Parsing helpers shared by the families.
int parseInt(std::string_view text, int low, int high, const std::string& what);
std::vector<std::string_view> split(std::string_view text, char separator);
// X,Y in picture pixels.
PixelPoint parsePoint(std::string_view text);
// X,Y[/X,Y...]: at least one point.
std::vector<PixelPoint> parsePoints(std::string_view text);

}  // namespace mugwarp::cli
