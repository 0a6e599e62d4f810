// The LZW decoder alone, over a frame of up to 256 x 256 pixels. The first
// three bytes choose width, height, the frame's bits per pixel (1 to 8) and
// interlacing; the rest is the raster (code size byte and data sub-blocks)
// as a GIF frame holds it.
#include "formats/gif_lzw.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    if (bytes.size() < 3) return;
    const int width = 1 + bytes[0];
    const int height = 1 + bytes[1];
    const int bitsPerPixel = 1 + (bytes[2] & 7);
    const bool interlaced = (bytes[2] & 8) != 0;
    // The bitmap depth the reader gives such a frame.
    const int depth = bitsPerPixel == 1 ? 1 : bitsPerPixel <= 4 ? 4 : 8;
    mugwarp::PlatformBitmap bitmap(width, height, depth);
    (void)mugwarp::decodeLzw(bytes.subspan(3), bitmap, bitsPerPixel, interlaced);
}
