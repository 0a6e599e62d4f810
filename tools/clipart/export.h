#pragma once
#include <QImage>
#include <QRgb>
#include <QString>

namespace clipart {

// The colour every GIF of the collection is transparent in. Pixels of the
// pieces themselves never take it (their palette is kept clear of it).
constexpr QRgb kKeyColor = 0xFFFFFEFD;

// The drawing as a GIF89a with kKeyColor transparent. GIF transparency is all
// or nothing, so a pixel is either kept whole (at least half covered, in its
// own colour: the outline's, never blended toward the key, so no light fringe
// shows on a dark photograph) or becomes the key.
void writeKeyedGif(const QImage& drawing, const QString& path);

// The drawing laid on white, as a BMP or JPEG by the extension of path.
void writeFlatPicture(const QImage& drawing, const QString& path);

}  // namespace clipart
