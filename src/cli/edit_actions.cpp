#include "cli/edit_actions.h"

#include <charconv>

#include "edit/project_document.h"

namespace mugwarp::cli {

namespace {

// Coordinates far outside any picture still behave (the brush misses), but
// stay small enough that squares and brush corners cannot overflow.
constexpr int kCoordinateLimit = 1 << 20;

}  // namespace

const ActionTable& actionTable() {
    static const ActionTable table = [] {
        ActionTable t;
        addWarpActions(t);
        addCanvasActions(t);
        addFlatActions(t);
        addOverlayActions(t);
        addFilterActions(t);
        addFaceActions(t);
        return t;
    }();
    return table;
}

Action parseAction(const std::string& word) {
    const std::size_t colon = word.find(':');
    const std::string_view name = std::string_view(word).substr(0, colon);
    const auto found = actionTable().find(name);
    if (found == actionTable().end()) throw UsageError{"unknown action '" + word + "'"};
    const std::string_view arguments = colon == std::string::npos ? std::string_view() : std::string_view(word).substr(colon + 1);
    try {
        return found->second.parse(arguments);
    } catch (const UsageError& e) {
        throw UsageError{"action '" + word + "': " + e.message};
    }
}

bool walksHistory(const std::string& word) {
    const std::string_view name = std::string_view(word).substr(0, word.find(':'));
    return name == "undo" || name == "redo";
}

void replay(EditSession& session, const std::string& input, const std::vector<Action>& steps,
            std::size_t historyNeeded) {
    if (historyNeeded == 0) session.document.stopKeepingHistory();
    openDocumentFile(session.document, session.overlays, input);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i](session);
        if (i + 1 == historyNeeded) session.document.stopKeepingHistory();
    }
}

bool isBrushOption(const std::string& option) { return option == "--size" || option == "--effect"; }

std::optional<Action> parseBrushOption(const std::string& option, const std::string& value) {
    if (option == "--size") {
        const int size = parseInt(value, 5, 500, "--size");
        return Action([size](EditSession& s) { s.strokes.setBrushSize(size); });
    }
    if (option == "--effect") {
        const int effect = parseInt(value, -100, 100, "--effect");
        return Action([effect](EditSession& s) { s.strokes.setEffect(effect); });
    }
    return std::nullopt;
}

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

PixelPoint parsePoint(std::string_view text) {
    const std::vector<std::string_view> xy = split(text, ',');
    if (xy.size() != 2) throw UsageError{"a point is X,Y, not '" + std::string(text) + "'"};
    return {parseInt(xy[0], -kCoordinateLimit, kCoordinateLimit, "a coordinate"),
            parseInt(xy[1], -kCoordinateLimit, kCoordinateLimit, "a coordinate")};
}

std::vector<PixelPoint> parsePoints(std::string_view text) {
    std::vector<PixelPoint> points;
    for (std::string_view point : split(text, '/')) points.push_back(parsePoint(point));
    return points;
}

}  // namespace mugwarp::cli
