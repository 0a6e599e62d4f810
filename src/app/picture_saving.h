#pragma once
#include <QString>

#include "formats/picture_io.h"

namespace mugwarp {

class Document;
class OverlayStack;

// Which writer a file name's lower-cased extension selects.
inline PictureFormat pictureFormatFor(const QString& path) { return pictureFormatFor(path.toStdString()); }

// "Unknown picture file extension (.png)": the text shown for a name no writer handles.
QString unknownExtensionMessage(const QString& path);

// The document side of Save and Save As once the target is known: the display
// with the overlays drawn in is written in the format the name selects; the
// document's own picture does not take the overlays. For JPEG, PDF and GIF the
// undo picture holds the display as saved; after a GIF without overlays the
// document is reloaded from the file, its colours reduced and its deformation
// baked in. Throws Error when the write fails or no writer fits.
void writeDocumentPicture(Document& document, const OverlayStack& overlays, const QString& path);

}  // namespace mugwarp
