// Draws the clipart collection into a Clipart folder:
//   mugwarp-clipart <Clipart folder> [piece file name...]
// With names, only those pieces are drawn again.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cstdio>
#include <exception>

#include "export.h"
#include "pieces.h"

namespace {

QImage render(const clipart::Piece& piece) {
    QImage image(piece.width, piece.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    piece.draw(painter);
    return image;
}

void writePiece(const clipart::Piece& piece, const QDir& folder) {
    const QString path = folder.filePath(piece.file);
    const QImage drawing = render(piece);
    if (piece.file.endsWith(QStringLiteral(".gif")))
        clipart::writeKeyedGif(drawing, path);
    else
        clipart::writeFlatPicture(drawing, path);
    std::printf("%s (%d x %d)\n", qPrintable(path), piece.width, piece.height);
}

}  // namespace

int main(int argc, char** argv) {
    // The pictures are drawn without a screen; fonts still need a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: mugwarp-clipart <Clipart folder> [piece file name...]\n");
        return 2;
    }
    const QStringList only = args.mid(2);
    const QDir clipartFolder(args[1]);
    const QDir bubbleFolder(clipartFolder.filePath(QStringLiteral("Talk Bubbles")));
    try {
        if (!QDir().mkpath(bubbleFolder.path())) throw std::runtime_error("cannot create " + bubbleFolder.path().toStdString());
        for (const auto& [pieces, folder] : {std::pair{clipart::clipartPieces(), clipartFolder},
                                             std::pair{clipart::talkBubbles(), bubbleFolder}})
            for (const clipart::Piece& piece : pieces)
                if (only.isEmpty() || only.contains(piece.file)) writePiece(piece, folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mugwarp-clipart: %s\n", e.what());
        return 1;
    }
    return 0;
}
