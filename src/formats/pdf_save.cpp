#include "formats/file_io.h"
#include "formats/jpeg_codec.h"
#include "formats/pdf_writer.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp {

void savePdfPicture(const PixelSurface& picture, const std::string& path) {
    const std::vector<std::uint8_t> jpeg = encodeJpeg(picture);
    const std::string temporary = path + "111";
    FileRemover removeTemporary(temporary);
    writeFileAtomically(temporary, jpeg);
    if (!convertJpegToPdf(temporary, path)) throw Error("Cannot convert the picture to PDF");
}

}  // namespace mugwarp
