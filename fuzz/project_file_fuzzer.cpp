// A project file as Open finds it: read, or refused with a reason. Each part
// carries its own check, so the target first gives the preamble and every
// part whose length fits the check it needs: the fuzzer's time goes into the
// readers of the bodies.
#include <cstdint>
#include <vector>

#include "edit/project_file.h"
#include "formats/crc32.h"
#include "fuzz_input.h"
#include "raster/error.h"

namespace {

void putCheck(std::vector<std::uint8_t>& file, std::size_t at, std::size_t length) {
    const std::uint32_t crc = mugwarp::crc32(std::span(file).subspan(at, length));
    for (int i = 0; i < 4; ++i) file[at + length + i] = static_cast<std::uint8_t>(crc >> (8 * i));
}

std::vector<std::uint8_t> withChecks(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    if (file.size() < 20) return file;
    putCheck(file, 0, 16);
    for (std::size_t at = 20; file.size() - at >= 16;) {
        std::uint64_t length = 0;
        for (int i = 0; i < 8; ++i) length |= std::uint64_t(file[at + 4 + i]) << (8 * i);
        if (length > file.size() - at - 16) break;
        putCheck(file, at, 12 + static_cast<std::size_t>(length));
        at += 16 + static_cast<std::size_t>(length);
    }
    return file;
}

}  // namespace

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::ProjectSnapshot project = mugwarp::unpackProject(withChecks(bytes));
        (void)project.overlays.size();
    } catch (const mugwarp::Error&) {
    }
}
