#include "raster/gamma_table.h"

#include <cmath>

namespace mugwarp {

namespace {
std::array<std::uint8_t, 256> buildGammaTable() {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(i / 255.0, 0.7)));
    }
    return table;
}
}  // namespace

const std::array<std::uint8_t, 256>& gammaTable() {
    static const std::array<std::uint8_t, 256> table = buildGammaTable();
    return table;
}

}  // namespace mugwarp
