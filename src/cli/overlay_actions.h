#pragma once
#include "edit/overlay_stack.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
class Document;
}

namespace mugwarp::cli {

// The picture a save writes: the display with the overlays drawn in, as the
// editor's Save draws them (the display itself when there are none).
PixelSurface flattenedPicture(const Document& document, const OverlayStack& overlays);
// Writes the document as Save does: a project when the name ends in
// .mugwarp, otherwise the flattened picture in the format its extension names.
void saveDocument(const Document& document, const OverlayStack& overlays, const std::string& path);

}  // namespace mugwarp::cli
