#include "app/picture_saving.h"

#include "app/overlay_stack.h"
#include "document/document.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp {

QString unknownExtensionMessage(const QString& path) {
    return QStringLiteral("Unknown picture file extension (%1)")
        .arg(QString::fromStdString(lowerExtension(path.toStdString())));
}

void writeDocumentPicture(Document& document, const OverlayStack& overlays, const QString& path) {
    const PictureFormat format = pictureFormatFor(path);
    if (format == PictureFormat::None) throw Error(unknownExtensionMessage(path).toStdString());
    document.setSizeChanged(false);
    overlays.flattenInto(document.display());
    // The encoders read the saved picture from the undo picture, so Undo
    // returns to what was written; a BMP is written straight from the display.
    if (format != PictureFormat::Bmp) document.snapshotForUndo();
    const std::string target = path.toStdString();
    savePicture(document.display(), target, document.keyColor());
    if (format == PictureFormat::Gif) {
        // The document becomes the GIF as written: colours reduced, deformation
        // baked in, so that source, display and map agree again.
        document.loadPicture(target);
    }
}

}  // namespace mugwarp
