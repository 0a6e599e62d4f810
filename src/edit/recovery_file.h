#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "edit/overlay_stack.h"
#include "raster/color.h"
#include "raster/displacement_map.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// What a recovery copy keeps of an open document: the picture as shown (the
// deformation baked in), the overlays with their places, the file names and
// the colours that come back with the picture.
struct RecoverySnapshot {
    PixelSurface picture;
    ByteMap freezeMask;  // empty: nothing frozen
    std::vector<Overlay> overlays;
    std::string documentFileName;
    std::string pictureFileName;
    PlatformColor keyColor = 0;
    Argb outerColor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970 (UTC)
};

// A recovery copy is a project file (project_file.h) holding the picture as
// shown as its source, with no deformation, its freeze mask, overlays, names
// and colours.
std::vector<std::uint8_t> packRecovery(const RecoverySnapshot& snapshot);

// Reads a recovery file from its bytes, also one an older editor wrote;
// throws Error("The recovery file is damaged...") on anything malformed,
// whatever the bytes. Overlay pictures come
// back blended by nearest pixels, as overlays are drawn.
RecoverySnapshot unpackRecovery(std::span<const std::uint8_t> bytes);

}  // namespace mugwarp
