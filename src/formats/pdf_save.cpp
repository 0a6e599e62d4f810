#include <filesystem>
#include <string>

#include "formats/file_io.h"
#include "formats/jpeg_codec.h"
#include "formats/pdf_writer.h"
#include "formats/picture_io.h"
#include "raster/error.h"

namespace mugwarp {

void savePdfPicture(const PixelSurface& picture, const std::string& path) {
    const std::vector<std::uint8_t> jpeg = encodeJpeg(picture);
    // The intermediate JPEG is named after the target; a file of the user's
    // that already carries that name is left alone. The name itself is what
    // counts: a link that points nowhere is a user's file too, and would be
    // replaced and then removed.
    const auto taken = [](const std::string& name) {
        std::error_code ec;
        return std::filesystem::exists(std::filesystem::symlink_status(name, ec));
    };
    std::string temporary = path + "111";
    for (int n = 2; taken(temporary); ++n) temporary = path + "111-" + std::to_string(n);
    FileRemover removeTemporary(temporary);
    writeFileAtomically(temporary, jpeg);
    if (!convertJpegToPdf(temporary, path)) throw Error("Cannot convert the picture to PDF");
}

}  // namespace mugwarp
