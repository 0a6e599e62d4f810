#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "edit/overlay_stack.h"
#include "raster/color.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// What a recovery copy keeps of an open document: the picture as shown (the
// deformation baked in), the overlays with their places, the file names and
// the colours that come back with the picture.
struct RecoverySnapshot {
    PixelSurface picture;
    std::vector<Overlay> overlays;
    std::string documentFileName;
    std::string pictureFileName;
    PlatformColor keyColor = 0;
    Argb outerColor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970 (UTC)
};

// The recovery file, version 1. Little-endian throughout:
//
//   magic        8 bytes  "MWRECOV\n"
//   version      u32      1
//   savedAt      i64      seconds since 1970
//   keyColor     u32      platform colour 0x00BBGGRR
//   outerColor   u32      ARGB
//   documentName string   (u32 byte count, then UTF-8; at most 64 KiB)
//   pictureName  string
//   picture      image
//   overlayCount u32      at most 4096
//   overlays     overlayCount x { left, top, right, bottom: f32; image }
//   checksum     u32      CRC-32 (IEEE) of every byte before it
//
//   image = width u32, height u32 (each at least 1, cells within the surface
//           limit), outerColor u32, packed u64 byte count, then one zstd frame
//           of width x height x 4 bytes: each row's ARGB pixels as bytes, every
//           byte stored as its difference from the same byte of the pixel to
//           its left (lossless; a photograph packs much smaller so).
//
// A reader accepts nothing it does not fully understand: wrong magic,
// version, sizes, counts, checksum, or trailing bytes make the file damaged.
std::vector<std::uint8_t> packRecovery(const RecoverySnapshot& snapshot);

// Reads a recovery file from its bytes; throws Error("The recovery file is
// damaged") on anything malformed, whatever the bytes. Overlay pictures come
// back blended by nearest pixels, as overlays are drawn.
RecoverySnapshot unpackRecovery(std::span<const std::uint8_t> bytes);

}  // namespace mugwarp
