#include <charconv>
#include <cstdio>

#include "cli/edit_actions.h"

namespace mugwarp::cli {

namespace {

constexpr int kSquareLimit = 5000;

// Chooses the tool as its palette button does, then press at the first
// point, moves to the others with the button held, release.
void drag(EditSession& s, ToolCode tool, const std::vector<PixelPoint>& points, int n) {
    s.document.selectFlatTool(tool);
    s.flat.press(points.front(), n);
    for (std::size_t i = 1; i < points.size(); ++i) s.flat.move(points[i], n);
    s.flat.release();
}

PlatformColor parseColour(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 6 || ec != std::errc() || end != text.data() + text.size()) {
        throw UsageError{"a colour is RRGGBB in hexadecimal, not '" + std::string(text) + "'"};
    }
    // RRGGBB is read the usual way round; the document keeps red in the low byte.
    return ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
}

std::string hexColour(PlatformColor c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return text;
}

}  // namespace

void addFlatActions(ActionTable& table) {
    table["erase"] = {"erase:N:X,Y[/X,Y...]", [](std::string_view arguments) -> Action {
                          const std::vector<std::string_view> fields = split(arguments, ':');
                          if (fields.size() != 2) throw UsageError{"erase takes N:POINTS"};
                          const int n = parseInt(fields[0], 0, kSquareLimit, "the square size");
                          std::vector<PixelPoint> points = parsePoints(fields[1]);
                          return [n, points](EditSession& s) { drag(s, ToolCode::Erase, points, n); };
                      }};
    table["paint"] = {"paint:RRGGBB:N:X,Y[/X,Y...]", [](std::string_view arguments) -> Action {
                          const std::vector<std::string_view> fields = split(arguments, ':');
                          if (fields.size() != 3) throw UsageError{"paint takes RRGGBB:N:POINTS"};
                          const PlatformColor colour = parseColour(fields[0]);
                          const int n = parseInt(fields[1], 0, kSquareLimit, "the square size");
                          std::vector<PixelPoint> points = parsePoints(fields[2]);
                          return [colour, n, points](EditSession& s) {
                              s.document.setPaintColor(colour);
                              drag(s, ToolCode::Paint, points, n);
                          };
                      }};
    table["pick"] = {"pick:X,Y", [](std::string_view arguments) -> Action {
                         const PixelPoint p = parsePoint(arguments);
                         return [p](EditSession& s) {
                             const Rect bounds{0, 0, s.document.pictureWidth(), s.document.pictureHeight()};
                             if (!bounds.contains(p.x, p.y)) {
                                 throw ActionError{"pick: " + std::to_string(p.x) + "," + std::to_string(p.y) +
                                                   " is outside the picture"};
                             }
                             drag(s, ToolCode::PickColour, {p}, 0);
                             s.out << hexColour(s.document.paintColor()) << "\n";
                         };
                     }};
    table["crop"] = {"crop:X1,Y1/X2,Y2", [](std::string_view arguments) -> Action {
                         std::vector<PixelPoint> corners = parsePoints(arguments);
                         if (corners.size() != 2) throw UsageError{"crop takes two corners X1,Y1/X2,Y2"};
                         return [corners](EditSession& s) { drag(s, ToolCode::Crop, corners, 0); };
                     }};
}

}  // namespace mugwarp::cli
