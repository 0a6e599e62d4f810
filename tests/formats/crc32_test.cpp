#include <gtest/gtest.h>

#include <string_view>

#include "formats/crc32.h"

namespace mugwarp {
namespace {

// The published check values of the zip/PNG CRC-32, so files we write can be
// checked by any other tool.
TEST(Crc32, MatchesTheStandardCheckValues) {
    const struct {
        std::string_view text;
        std::uint32_t crc;
    } cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(crc32({reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size()}), c.crc) << c.text;
}

}  // namespace
}  // namespace mugwarp
