#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/cli_commands.h"
#include "document/document.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "warp/stroke_controller.h"

namespace mugwarp::cli {

namespace {

const char* const kWarpUsage =
    "usage: mugwarp-cli warp IN OUT [--size S] [--effect E] ACTION...\n"
    "  replays a warp session at 100% zoom and saves the displayed picture as OUT\n"
    "  --size S      brush size, 5..500 (default 100), from this point on\n"
    "  --effect E    brush effect, -100..100 (default 0), from this point on\n"
    "  ACTION        TOOL:BUTTON:X,Y[/X,Y...][:hold=N]  or  undo\n"
    "                TOOL putty|warp|twirl, BUTTON left|right, points in picture\n"
    "                pixels: the first is the press, the others moves with the\n"
    "                button held; N timer ticks at the last point, then release\n";

struct UsageError {
    std::string message;
};

struct SetSize { int value; };
struct SetEffect { int value; };
struct Undo {};
struct Stroke {
    WarpTool tool;
    MouseButtons buttons;
    std::vector<PixelPoint> points;
    int hold = 0;
};
using Step = std::variant<SetSize, SetEffect, Undo, Stroke>;

// Coordinates far outside any picture still behave (the brush misses), but
// stay small enough that the brush square's corners cannot overflow.
constexpr int kCoordinateLimit = 1 << 20;
constexpr int kHoldLimit = 100000;

int parseInt(std::string_view text, int low, int high, const std::string& what) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    // One sign only: from_chars takes a '-' of its own, so "+-5" must not reach it.
    if (text.size() > 1 && *first == '+' && first[1] != '-') ++first;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (text.empty() || ec != std::errc() || end != last || value < low || value > high) {
        throw UsageError{what + " must be a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not '" + std::string(text) + "'"};
    }
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

Stroke parseStroke(const std::string& action) {
    const std::vector<std::string_view> fields = split(action, ':');
    if (fields.size() != 3 && fields.size() != 4) {
        throw UsageError{"an action is TOOL:BUTTON:POINTS[:hold=N] or undo, not '" + action + "'"};
    }
    Stroke stroke;
    if (fields[0] == "putty") stroke.tool = WarpTool::Putty;
    else if (fields[0] == "warp") stroke.tool = WarpTool::Warp;
    else if (fields[0] == "twirl") stroke.tool = WarpTool::Twirl;
    else throw UsageError{"unknown tool '" + std::string(fields[0]) + "' (putty, warp or twirl)"};

    if (fields[1] == "left") stroke.buttons.left = true;
    else if (fields[1] == "right") stroke.buttons.right = true;
    else throw UsageError{"unknown button '" + std::string(fields[1]) + "' (left or right)"};

    for (std::string_view point : split(fields[2], '/')) {
        const std::vector<std::string_view> xy = split(point, ',');
        if (xy.size() != 2) throw UsageError{"a point is X,Y, not '" + std::string(point) + "'"};
        stroke.points.push_back({parseInt(xy[0], -kCoordinateLimit, kCoordinateLimit, "a coordinate"),
                                 parseInt(xy[1], -kCoordinateLimit, kCoordinateLimit, "a coordinate")});
    }
    if (fields.size() == 4) {
        constexpr std::string_view kHold = "hold=";
        if (fields[3].substr(0, kHold.size()) != kHold) {
            throw UsageError{"the fourth part of an action is hold=N, not '" + std::string(fields[3]) + "'"};
        }
        stroke.hold = parseInt(fields[3].substr(kHold.size()), 0, kHoldLimit, "hold");
    }
    return stroke;
}

struct Session {
    std::string input;
    std::string output;
    std::vector<Step> steps;
};

Session parseSession(const std::vector<std::string>& args) {
    Session session;
    std::vector<std::string> files;
    bool anyAction = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--size" || arg == "--effect") {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            const std::string& value = args[++i];
            if (arg == "--size") session.steps.push_back(SetSize{parseInt(value, 5, 500, "--size")});
            else session.steps.push_back(SetEffect{parseInt(value, -100, 100, "--effect")});
        } else if (files.size() < 2) {
            if (arg.size() > 1 && arg[0] == '-') throw UsageError{"unknown option '" + arg + "'"};
            files.push_back(arg);
        } else if (arg == "undo") {
            session.steps.push_back(Undo{});
            anyAction = true;
        } else {
            session.steps.push_back(parseStroke(arg));
            anyAction = true;
        }
    }
    if (files.size() < 2) throw UsageError{"IN and OUT are required"};
    if (!anyAction) throw UsageError{"at least one ACTION is required"};
    session.input = files[0];
    session.output = files[1];
    return session;
}

void replay(const Stroke& stroke, StrokeController& strokes) {
    // The tool is chosen as its menu item does, which also refreshes the undo
    // picture; then press, moves with the button held, ticks, release.
    strokes.selectTool(stroke.tool);
    strokes.press(stroke.points.front(), stroke.buttons);
    for (std::size_t i = 1; i < stroke.points.size(); ++i) strokes.move(stroke.points[i], stroke.buttons);
    if (strokes.timerShouldRun()) {
        for (int i = 0; i < stroke.hold; ++i) strokes.tick();
    }
    strokes.release();
}

}  // namespace

int runWarp(const std::vector<std::string>& args) {
    Session session;
    try {
        session = parseSession(args);
    } catch (const UsageError& e) {
        std::cerr << "mugwarp-cli warp: " << e.message << "\n" << kWarpUsage;
        return 2;
    }
    if (!checkOutputExtension(session.output)) return 1;
    try {
        Document document;
        document.loadPicture(session.input);
        StrokeController strokes(document);
        for (const Step& step : session.steps) {
            if (const auto* size = std::get_if<SetSize>(&step)) strokes.setBrushSize(size->value);
            else if (const auto* effect = std::get_if<SetEffect>(&step)) strokes.setEffect(effect->value);
            else if (std::holds_alternative<Undo>(step)) document.undo();
            else replay(std::get<Stroke>(step), strokes);
        }
        savePicture(document.display(), session.output, document.keyColor());
    } catch (const Error& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
