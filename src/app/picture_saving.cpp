#include "app/picture_saving.h"

#include <optional>

#include "app/overlay_stack.h"
#include "app/photo_info_setting.h"
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
    // The overlays are drawn into a copy: drawn into the picture itself they
    // would show twice and stay behind as a ghost once moved.
    std::optional<PixelSurface> flattened;
    if (!overlays.isEmpty()) {
        flattened.emplace(document.display());
        overlays.flattenInto(*flattened);
    }
    // Undo returns to the picture as saved (without the overlays, which stay
    // objects of their own).
    if (format != PictureFormat::Bmp) document.snapshotForUndo();
    const std::string target = path.toStdString();
    SaveOptions options;
    if (keepPhotoInformation()) options.photoInfo = &document.photoInfo();
    savePicture(flattened ? *flattened : document.display(), target, document.keyColor(), options);
    if (format == PictureFormat::Gif && !flattened) {
        // The document becomes the GIF as written: colours reduced, deformation
        // baked in, so that source, display and map agree again. With overlays
        // the file holds them too, so the document keeps its own picture.
        // Undo brings back the colours from before the reduction.
        document.reloadPicture(target);
    }
}

}  // namespace mugwarp
