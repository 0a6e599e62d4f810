#include <lcms2.h>

#include <memory>

#include "formats/color_profile.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "test_support.h"

namespace mugwarp {
namespace {

// Display P3 as phones write it: P3 primaries, D65 white, the sRGB curve.
std::vector<std::uint8_t> displayP3Profile() {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p3 = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Display P3");
    cmsWriteTag(p3, cmsSigProfileDescriptionTag, text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p3, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(p3, bytes.data(), &size);
    cmsMLUfree(text);
    cmsCloseProfile(p3);
    cmsFreeToneCurve(curve);
    return bytes;
}

// Little CMS's own transform of the same pixels, for comparison.
PlatformBitmap referenceToSrgb(PlatformBitmap b, const std::vector<std::uint8_t>& icc) {
    cmsHPROFILE source = cmsOpenProfileFromMem(icc.data(), cmsUInt32Number(icc.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM t = cmsCreateTransform(source, TYPE_BGRA_8, srgb, TYPE_BGRA_8, INTENT_PERCEPTUAL, 0);
    for (int y = 0; y < b.height(); ++y) cmsDoTransform(t, b.scanLine(y), b.scanLine(y), cmsUInt32Number(b.width()));
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(source);
    return b;
}

TEST(ColorProfile, DisplayP3JpegMatchesLittleCmsTransform) {
    const std::vector<std::uint8_t> p3 = displayP3Profile();
    JpegExtras extras;
    extras.iccProfile = p3;
    const std::vector<std::uint8_t> jpeg = encodeJpeg(test::samplePhoto(), extras);
    const JpegDecodeResult raw = decodeJpeg(jpeg);
    ASSERT_EQ(raw.iccProfile, p3) << "the profile is read back from its APP2 segment";
    const PlatformBitmap expected = referenceToSrgb(raw.bitmap, p3);
    const PictureFile opened = decodePictureFile(jpeg, "phone.jpg");
    EXPECT_TRUE(opened.notes.empty());
    int changed = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            ASSERT_EQ(opened.bitmap.pixelArgb(x, y), expected.pixelArgb(x, y)) << x << "," << y;
            changed += opened.bitmap.pixelArgb(x, y) != raw.bitmap.pixelArgb(x, y);
        }
    // P3 colours are more saturated than the same numbers in sRGB.
    EXPECT_GT(changed, expected.width() * expected.height() / 2);
}

// A profile that cannot be read is passed over with a note; the picture opens as stored.
TEST(ColorProfile, DamagedProfileIsIgnoredWithANote) {
    std::vector<std::uint8_t> broken = displayP3Profile();
    broken.resize(broken.size() / 3);
    std::vector<std::uint8_t> garbage(200, 0x41);
    for (const auto& icc : {broken, garbage}) {
        JpegExtras extras;
        extras.iccProfile = icc;
        const std::vector<std::uint8_t> jpeg = encodeJpeg(test::gradientPicture(16, 16), extras);
        const PictureFile opened = decodePictureFile(jpeg, "odd.jpg");
        ASSERT_EQ(opened.notes.size(), 1u);
        EXPECT_EQ(opened.notes[0], "The picture's colour profile is damaged and was ignored");
        EXPECT_TRUE(test::sameRgb(test::rgbOf(opened.bitmap), test::rgbOf(decodeJpeg(jpeg).bitmap)));
    }
}

// An sRGB profile changes nothing; the one saves embed reads as sRGB.
TEST(ColorProfile, SrgbProfilesLeavePixelsAlone) {
    PlatformBitmap b = decodeJpeg(encodeJpeg(test::gradientPicture(9, 9))).bitmap;
    const PlatformBitmap before = b;
    EXPECT_EQ(convertToSrgb(b, srgbProfileBytes()), "");
    EXPECT_TRUE(test::sameRgb(test::rgbOf(b), test::rgbOf(before)));
    EXPECT_GT(srgbProfileBytes().size(), 128u);
}

}  // namespace
}  // namespace mugwarp
