// A saved filter settings file (any bytes with a right checksum), and what
// was read written again reads back the same.
#include <cstdlib>

#include "checksum_fixup.h"
#include "filterapply/filter_settings_file.h"
#include "fuzz_input.h"

MUGWARP_FUZZ_TARGET(bytes) {
    const std::vector<std::uint8_t> file = withChecksum(bytes);
    std::string problem;
    const auto saved = mugwarp::parseSettingsFile(file, &problem);
    if (!saved) return;
    const auto again = mugwarp::parseSettingsFile(mugwarp::encodeSettingsFile(*saved));
    if (!again || again->module != saved->module || again->settings != saved->settings) std::abort();
}
