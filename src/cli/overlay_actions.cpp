#include "cli/overlay_actions.h"

#include <string>
#include <vector>

#include "cli/edit_actions.h"
#include "document/key_color.h"
#include "edit/clipart_picture.h"
#include "edit/project_document.h"
#include "formats/picture_io.h"
#include "raster/error.h"

#ifdef MUGWARP_CLI_TEXT
#include <QFont>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <mutex>

#include "text/text_picture.h"
#endif

namespace mugwarp::cli {
namespace {

// FILE and STRING may hold colons themselves: the fixed fields are found from the end.
std::string joined(const std::vector<std::string_view>& parts, std::size_t first, std::size_t end) {
    std::string out;
    for (std::size_t i = first; i < end; ++i) {
        if (i > first) out += ':';
        out += parts[i];
    }
    return out;
}

bool isPoint(std::string_view text) {
    try {
        parsePoint(text);
        return true;
    } catch (const UsageError&) {
        return false;
    }
}

void placeAt(OverlayStack& overlays, PixelSurface picture, PixelPoint at) {
    const float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
    const float w = static_cast<float>(picture.width()), h = static_cast<float>(picture.height());
    overlays.add(Overlay{{x, y, x + w, y + h}, std::move(picture)});
}

Action parseClipart(std::string_view arguments) {
    const std::vector<std::string_view> f = split(arguments, ':');
    std::size_t pointAt = f.size() - 1;
    const bool transparent = f.size() >= 3 && f.back() == "transparent";
    if (transparent) --pointAt;
    if (pointAt < 1 || !isPoint(f[pointAt])) throw UsageError{"clipart is clipart:FILE:X,Y[:transparent]"};
    const PixelPoint at = parsePoint(f[pointAt]);
    const std::string file = joined(f, 0, pointAt);
    return [file, at, transparent](EditSession& s) {
        ClipartPicture clipart = loadClipartPicture(file, transparent);
        if (clipart.keyed) {
            // As Insert > Clipart answered "Yes": the picture's outer colour
            // becomes the document's key, which a GIF save keeps transparent.
            clipart.picture.setOuterColor(outerColorForKey(s.document.keyColor()));
            s.document.setSourceOuterColorFromKey(s.document.keyColor());
        }
        placeAt(s.overlays, std::move(clipart.picture), at);
    };
}

#ifdef MUGWARP_CLI_TEXT
// Qt's notes about the desktop session (no runtime directory and the like)
// mean nothing to a command-line user; real failures still show.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Fonts need a GUI application; without a display the offscreen platform serves.
void ensureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
    static int argc = 1;
    static char name[] = "mugwarp-cli";
    static char* argv[] = {name, nullptr};
    static const std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}
#endif

Action parseText(std::string_view arguments) {
    const std::vector<std::string_view> f = split(arguments, ':');
    const UsageError malformed{"text is text:STRING:X,Y[:FAMILY:POINTS:RRGGBB]"};
    std::size_t pointAt = f.size() - 1;
    std::string family;
    int points = 0;
    unsigned rgb = 0;
    if (!isPoint(f.back())) {
        if (f.size() < 5 || !isPoint(f[f.size() - 4])) throw malformed;
        pointAt = f.size() - 4;
        family = std::string(f[f.size() - 3]);
        points = parseInt(f[f.size() - 2], 1, 1000, "the point size");
        const std::string_view colour = f.back();
        if (family.empty() || colour.size() != 6 || colour.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
            throw malformed;
        rgb = static_cast<unsigned>(std::stoul(std::string(colour), nullptr, 16));
    }
    if (pointAt < 1) throw malformed;
    const std::string text = joined(f, 0, pointAt);
    if (text.empty()) throw UsageError{"text needs a STRING to draw"};
    const PixelPoint at = parsePoint(f[pointAt]);
#ifdef MUGWARP_CLI_TEXT
    return [text, at, family, points, rgb](EditSession& s) {
        // Batch jobs run scripts side by side; Qt's one application and its
        // font machinery are shared by all of them.
        static std::mutex qtInUse;
        const std::lock_guard<std::mutex> lock(qtInUse);
        ensureGuiApplication();
        TextStyle style = TextStyle::initial();
        if (!family.empty()) {
            style.font = QFont(QString::fromStdString(family), points);
            style.color = QColor::fromRgb(static_cast<QRgb>(rgb));
        }
        placeAt(s.overlays, textPicture(QString::fromStdString(text), style), at);
    };
#else
    (void)rgb;
    (void)points;
    throw UsageError{"this mugwarp-cli was built without fonts: text cannot be drawn"};
#endif
}

}  // namespace

void addOverlayActions(ActionTable& table) {
    table["clipart"] = {"clipart:FILE:X,Y[:transparent]", parseClipart};
    table["text"] = {"text:STRING:X,Y[:FAMILY:POINTS:RRGGBB]", parseText};
}

PixelSurface flattenedPicture(const Document& document, const OverlayStack& overlays) {
    if (overlays.isEmpty()) return document.display();
    PixelSurface picture(document.display());
    overlays.flattenInto(picture);
    return picture;
}

void saveDocument(const Document& document, const OverlayStack& overlays, const std::string& path,
                  const SaveOptions& options) {
    if (!hasProjectExtension(path)) {
        savePicture(flattenedPicture(document, overlays), path, document.keyColor(), options);
        return;
    }
    ProjectSnapshot project = projectOf(document, overlays);
    project.documentFileName = path;
    writeProjectFile(path, project);
}

}  // namespace mugwarp::cli
