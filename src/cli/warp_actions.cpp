#include "cli/edit_actions.h"

namespace mugwarp::cli {

namespace {

constexpr int kHoldLimit = 100000;

struct Stroke {
    WarpTool tool;
    MouseButtons buttons;
    std::vector<PixelPoint> points;
    int hold = 0;
};

// TOOL:BUTTON:POINTS[:hold=N] after the tool's name.
Stroke parseStroke(WarpTool tool, std::string_view arguments) {
    const std::vector<std::string_view> fields = split(arguments, ':');
    if (fields.size() != 2 && fields.size() != 3) throw UsageError{"a stroke is TOOL:BUTTON:POINTS[:hold=N]"};
    Stroke stroke{tool, {}, {}, 0};
    if (fields[0] == "left") stroke.buttons.left = true;
    else if (fields[0] == "right") stroke.buttons.right = true;
    else throw UsageError{"unknown button '" + std::string(fields[0]) + "' (left or right)"};
    stroke.points = parsePoints(fields[1]);
    if (fields.size() == 3) {
        constexpr std::string_view kHold = "hold=";
        if (fields[2].substr(0, kHold.size()) != kHold) {
            throw UsageError{"the fourth part of a stroke is hold=N, not '" + std::string(fields[2]) + "'"};
        }
        stroke.hold = parseInt(fields[2].substr(kHold.size()), 0, kHoldLimit, "hold");
    }
    return stroke;
}

// The tool is chosen as its menu item does, which also refreshes the undo
// picture; then press, moves with the button held, ticks, release.
void replay(const Stroke& stroke, StrokeController& strokes) {
    strokes.selectTool(stroke.tool);
    strokes.press(stroke.points.front(), stroke.buttons);
    for (std::size_t i = 1; i < stroke.points.size(); ++i) strokes.move(stroke.points[i], stroke.buttons);
    if (strokes.timerShouldRun()) {
        for (int i = 0; i < stroke.hold; ++i) strokes.tick();
    }
    strokes.release();
}

ActionParser strokeParser(WarpTool tool) {
    return [tool](std::string_view arguments) -> Action {
        Stroke stroke = parseStroke(tool, arguments);
        return [stroke](EditSession& s) { replay(stroke, s.strokes); };
    };
}

ActionParser bareParser(std::function<void(EditSession&)> run) {
    return [run](std::string_view arguments) -> Action {
        if (!arguments.empty()) throw UsageError{"takes no arguments"};
        return run;
    };
}

}  // namespace

void addWarpActions(ActionTable& table) {
    const std::string stroke = ":left|right:X,Y[/X,Y...][:hold=N]";
    table["putty"] = {"putty" + stroke, strokeParser(WarpTool::Putty)};
    table["warp"] = {"warp" + stroke, strokeParser(WarpTool::Warp)};
    table["twirl"] = {"twirl" + stroke, strokeParser(WarpTool::Twirl)};
    table["reconstruct"] = {"reconstruct" + stroke, strokeParser(WarpTool::Reconstruct)};
    table["smooth"] = {"smooth" + stroke, strokeParser(WarpTool::Smooth)};
    table["freeze"] = {"freeze" + stroke, strokeParser(WarpTool::Freeze)};
    table["thaw"] = {"thaw" + stroke, strokeParser(WarpTool::Thaw)};
    table["freeze-none"] = {"freeze-none", bareParser([](EditSession& s) { s.document.freezeNone(); })};
    table["freeze-invert"] = {"freeze-invert", bareParser([](EditSession& s) { s.document.invertFreeze(); })};
    table["undo"] = {"undo", bareParser([](EditSession& s) { s.document.undo(); })};
    table["redo"] = {"redo", bareParser([](EditSession& s) { s.document.redo(); })};
    table["restore"] = {"restore", bareParser([](EditSession& s) { s.document.restore(); })};
}

}  // namespace mugwarp::cli
