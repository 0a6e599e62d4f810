#pragma once
#include "edit/overlay_stack.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace mugwarp {
class Document;
}

namespace mugwarp::cli {

// The picture a save writes: the display with the overlays drawn in, as the
// editor's Save draws them (the display itself when there are none).
PixelSurface flattenedPicture(const Document& document, const OverlayStack& overlays);
// Writes the document as Save does: a project when the name ends in
// .mugwarp, otherwise the flattened picture in the format its extension names
// (with what options carries over from the photo).
void saveDocument(const Document& document, const OverlayStack& overlays, const std::string& path,
                  const SaveOptions& options = {});

}  // namespace mugwarp::cli
