#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

using test::cli;

class PictureFormatsCommand : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return tmp_.path(name); }
    std::string sample() const { return std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg"; }
    static bool haveExiftool() { return std::filesystem::exists("/usr/bin/exiftool"); }
    static std::string tags(const std::string& file) {
        return test::runCommand("/usr/bin/exiftool -s -s -Make -DateTimeOriginal -Orientation " + file).out;
    }
    // The sample as a phone writes a portrait: turned on its side, orientation 6.
    void makePhonePhoto(const std::string& name) {
        ASSERT_EQ(test::runCommand("/usr/bin/convert " + sample() + " -crop 512x300+0+0 -rotate 270 " + path(name)).status, 0);
        ASSERT_EQ(test::runCommand("/usr/bin/exiftool -q -overwrite_original -Orientation#=6 -Make=Acme "
                                   "'-DateTimeOriginal=2023:01:02 03:04:05' " + path(name)).status, 0);
    }

    test::TempDir tmp_;
};

TEST_F(PictureFormatsCommand, InfoShowsTheDeclaredOrientationAndUprightSize) {
    if (!haveExiftool()) GTEST_SKIP() << "no exiftool";
    makePhonePhoto("phone.jpg");
    const test::CommandRun r = cli("info " + path("phone.jpg"));
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char* line : {"format: JPEG\n", "width: 512\n", "height: 300\n", "orientation: 6 (Rotate 90 CW)\n",
                             "metadata: EXIF\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " in " << r.out;
}

// convert keeps the camera and date by default, never the orientation;
// --strip-metadata writes none of it.
TEST_F(PictureFormatsCommand, ConvertKeepsOrStripsThePhotosInformation) {
    if (!haveExiftool()) GTEST_SKIP() << "no exiftool";
    makePhonePhoto("phone.jpg");
    ASSERT_EQ(cli("convert " + path("phone.jpg") + " " + path("kept.jpg")).status, 0);
    const std::string kept = tags(path("kept.jpg"));
    EXPECT_NE(kept.find("Make: Acme"), std::string::npos) << kept;
    EXPECT_NE(kept.find("DateTimeOriginal: 2023:01:02 03:04:05"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("Orientation"), std::string::npos) << kept;
    EXPECT_EQ(readPictureFile(path("kept.jpg")).bitmap.width(), 512);

    const test::CommandRun strip = cli("convert --strip-metadata " + path("phone.jpg") + " " + path("bare.jpg"));
    ASSERT_EQ(strip.status, 0) << strip.out;
    EXPECT_EQ(tags(path("bare.jpg")), "");
    // edit keeps it as convert does.
    ASSERT_EQ(cli("edit " + path("phone.jpg") + " " + path("edited.webp") + " twirl:left:100,100").status, 0);
    EXPECT_NE(tags(path("edited.webp")).find("Make: Acme"), std::string::npos);
}

TEST_F(PictureFormatsCommand, WritesPngAndWebpAndRefusesBadOptions) {
    const struct {
        const char* options;
        const char* out;
        int status;
    } cases[] = {
        {"", "a.png", 0},
        {"", "a.webp", 0},
        {"--lossless", "b.webp", 0},
        {"--quality 40", "c.webp", 0},
        {"--quality 0", "d.jpg", 2},
        {"--quality", "e.jpg", 2},
        {"--quality 9x", "f.jpg", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.options) + " " + c.out);
        const test::CommandRun r = cli("convert " + std::string(c.options) + " " + sample() + " " + path(c.out));
        EXPECT_EQ(r.status, c.status) << r.out;
        EXPECT_EQ(std::filesystem::exists(path(c.out)), c.status == 0);
    }
    // Lossless is what came in; the lossy file at quality 40 is smaller than at 90.
    PixelSurface original;
    original.assign(loadPicture(sample()));
    PixelSurface lossless;
    lossless.assign(loadPicture(path("b.webp")));
    for (int y = 0; y < original.height(); y += 7)
        for (int x = 0; x < original.width(); x += 5) ASSERT_EQ(lossless.pixel(x, y), original.pixel(x, y));
    EXPECT_LT(std::filesystem::file_size(path("c.webp")), std::filesystem::file_size(path("a.webp")));
}

}  // namespace
}  // namespace mugwarp
