#include "edit/recovery_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "formats/crc32.h"
#include "raster/error.h"
#include "support/legacy_recovery.h"
#include "support/picture_checks.h"

namespace mugwarp {
namespace {

using test::noise;

RecoverySnapshot sample() {
    RecoverySnapshot s;
    s.picture = noise(37, 21, 1);  // every alpha value, odd width
    s.picture.row(0)[0] = 0x00000000;
    s.picture.row(20)[36] = 0xFFFFFFFF;
    s.overlays.emplace_back(FloatRect{-3.5f, 2.25f, 40.0f, 9.0f}, noise(5, 3, 2));
    s.overlays.emplace_back(FloatRect{1, 1, 2, 2}, noise(1, 1, 3));
    s.documentFileName = "/home/ana/Bilder/grüße \"1\".jpg";
    s.pictureFileName = "/home/ana/Bilder/grüße \"1\".gif";
    s.keyColor = 0xFDFEFF;
    s.outerColor = 0x00FDFEFF;
    s.savedAt = 1765170000;
    return s;
}

void setU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Forges a file that passes the checksum, to reach the checks behind it.
std::vector<std::uint8_t> resealed(std::vector<std::uint8_t> bytes) {
    const std::size_t body = bytes.size() - 4;
    setU32(bytes, body, crc32(std::span(bytes).first(body)));
    return bytes;
}

// Copies written now, and copies an older editor left behind.
class RecoveryRoundTrip : public ::testing::TestWithParam<bool> {};

TEST_P(RecoveryRoundTrip, KeepsEveryPixelOverlayNameAndColour) {
    const RecoverySnapshot in = sample();
    const RecoverySnapshot out = unpackRecovery(GetParam() ? test::packLegacyRecovery(in) : packRecovery(in));
    EXPECT_TRUE(test::samePixels(out.picture, in.picture));
    ASSERT_EQ(out.overlays.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(out.overlays[i].location, in.overlays[i].location);
        EXPECT_TRUE(test::samePixels(*out.overlays[i].picture, *in.overlays[i].picture));
        EXPECT_EQ(out.overlays[i].picture->drawMode(), DrawMode::Blend);
    }
    EXPECT_EQ(out.documentFileName, in.documentFileName);
    EXPECT_EQ(out.pictureFileName, in.pictureFileName);
    EXPECT_EQ(out.keyColor, in.keyColor);
    EXPECT_EQ(out.outerColor, in.outerColor);
    EXPECT_EQ(out.savedAt, in.savedAt);
}

TEST(RecoveryFile, TheFreezeMaskComesBack) {
    RecoverySnapshot in = sample();
    in.freezeMask = ByteMap(37, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) in.freezeMask.setValue(x, y, std::uint8_t(x * 7 + y * 13));
    const RecoverySnapshot out = unpackRecovery(packRecovery(in));
    ASSERT_EQ(out.freezeMask.width(), 37);
    ASSERT_EQ(out.freezeMask.height(), 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(out.freezeMask.value(x, y), in.freezeMask.value(x, y));
    EXPECT_EQ(unpackRecovery(packRecovery(sample())).freezeMask.width(), 0);
}

TEST_P(RecoveryRoundTrip, EveryCutAndEveryFlippedByteIsReportedAsDamaged) {
    const std::vector<std::uint8_t> good = GetParam() ? test::packLegacyRecovery(sample()) : packRecovery(sample());
    for (std::size_t length = 0; length < good.size(); ++length) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(unpackRecovery(cut), Error) << "cut at " << length;
    }
    for (std::size_t at = 0; at < good.size(); at += 7) {
        std::vector<std::uint8_t> flipped = good;
        flipped[at] ^= 0x10;
        EXPECT_THROW(unpackRecovery(flipped), Error) << "flipped at " << at;
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_THROW(unpackRecovery(longer), Error);
}

// Older copies that pass the checksum but lie about what they hold.
TEST(RecoveryFile, HostileFieldsBehindAGoodChecksumAreRefusedBeforeAllocating) {
    RecoverySnapshot plain = sample();
    plain.overlays.clear();
    plain.documentFileName = plain.pictureFileName = "";
    const std::vector<std::uint8_t> good = test::packLegacyRecovery(plain);
    ASSERT_NO_THROW(unpackRecovery(good));
    // magic 8, version 4, savedAt 8, key 4, outer 4, two empty names 8: the picture's width is at 36.
    constexpr std::size_t kVersionAt = 8, kWidthAt = 36, kHeightAt = 40, kPackedSizeAt = 48;
    const std::size_t countAt = good.size() - 8;
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"version 2", kVersionAt, 2},
        {"zero width", kWidthAt, 0},
        {"width beyond any surface", kWidthAt, 0xFFFFFFFFu},
        {"a gigapixel", kHeightAt, 1u << 20},
        {"other size than the frame holds", kHeightAt, 22},
        {"packed size beyond the file", kPackedSizeAt, 0x7FFFFFFF},
        {"an overlay count beyond the limit", countAt, 1u << 30},
        {"an overlay with nothing behind it", countAt, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> forged = good;
        setU32(forged, c.at, c.value);
        EXPECT_THROW(unpackRecovery(resealed(forged)), Error) << c.what;
    }
    std::vector<std::uint8_t> name = good;
    setU32(name, 28, 0xFFFFFF00u);  // a file name of 4 GB
    EXPECT_THROW(unpackRecovery(resealed(name)), Error);

    RecoverySnapshot nan = sample();
    nan.overlays[0].location.left = std::numeric_limits<float>::quiet_NaN();
    EXPECT_THROW(unpackRecovery(test::packLegacyRecovery(nan)), Error);
    EXPECT_THROW(unpackRecovery(packRecovery(nan)), Error);
}

TEST(RecoveryFile, AFlatPhotographPacksSmall) {
    RecoverySnapshot s;
    s.picture = PixelSurface(400, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) s.picture.row(y)[x] = makeArgb(255, std::uint8_t(x / 2), std::uint8_t(y / 2), 90);
    EXPECT_LT(packRecovery(s).size(), std::size_t{400} * 300 * 4 / 20);
}

INSTANTIATE_TEST_SUITE_P(RecoveryFile, RecoveryRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Legacy" : "Current"; });

}  // namespace
}  // namespace mugwarp
