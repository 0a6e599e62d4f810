// The clipart loader: the first byte picks the file's extension and whether
// a GIF's transparent colour is keyed; the rest is the file.
#include <unistd.h>

#include <fstream>
#include <string>

#include "edit/clipart_picture.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    if (bytes.empty()) return;
    static const char* const kExtensions[] = {".gif", ".bmp", ".jpg", ".gif"};
    const std::string path =
        "/dev/shm/mugwarp-fuzz-clipart-" + std::to_string(::getpid()) + kExtensions[bytes[0] & 3];
    const auto file = bytes.subspan(1);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    try {
        const mugwarp::ClipartPicture clipart = mugwarp::loadClipartPicture(path, (bytes[0] & 4) != 0);
        (void)clipart.keyed;
    } catch (const mugwarp::Error&) {
    }
    ::unlink(path.c_str());
}
