// JPEG files through our wrapper of the decoder, and the frame header reader
// the PDF writer trusts.
#include "formats/jpeg_codec.h"
#include "formats/pdf_writer.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::JpegDecodeResult result = mugwarp::decodeJpeg(bytes);
        const mugwarp::PlatformBitmap& b = result.bitmap;
        if (b.width() > 0 && b.height() > 0) (void)b.pixelArgb(b.width() - 1, b.height() - 1);
    } catch (const mugwarp::Error&) {
    }
    try {
        if (const auto header = mugwarp::readJpegFrameHeader(bytes)) (void)mugwarp::buildPdfFromJpeg(bytes, *header);
    } catch (const mugwarp::Error&) {
    }
}
