#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "face/face_messages.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;
using test::cli;

const std::string kSample = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A grey picture the detector finds nothing in.
std::string writeFlat(const test::TempDir& dir) {
    const std::string path = dir.path("flat.bmp");
    EXPECT_EQ(test::runCommand("/usr/bin/convert -size 320x240 xc:gray60 BMP3:" + path).status, 0);
    return path;
}

TEST(FacesCommand, PrintsTheBoxAndLandmarksOrTheReason) {
    test::TempDir dir;
    const auto json = cli("faces " + kSample + " --json");
    ASSERT_EQ(json.status, 0) << json.out;
    EXPECT_EQ(count(json.out, "\"box\""), 1u) << json.out;
    // 68 pairs: "[x, y]" for each landmark.
    EXPECT_EQ(count(json.out, "], ["), 67u) << json.out;
    const auto text = cli("faces " + kSample);
    ASSERT_EQ(text.status, 0) << text.out;
    EXPECT_EQ(text.out.rfind("face 1: box ", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("\n  67: "), std::string::npos);

    const auto none = cli("faces " + writeFlat(dir));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find(face_messages::kNoFace), std::string::npos) << none.out;
    const auto missing = test::runCommand("MUGWARP_FACE_MODEL=" + dir.path("nothing.dat") + " " + MUGWARP_CLI + " faces " + kSample);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find(face_messages::kModelMissing), std::string::npos) << missing.out;
    EXPECT_EQ(cli("faces").status, 2);
    EXPECT_EQ(cli("faces " + kSample + " " + kSample).status, 2);
}

TEST(FaceAction, BadSettingsAreUsageErrorsBeforeAnyWork) {
    test::TempDir dir;
    for (const std::string action : {"face:", "face:eyes", "face:bogus=10", "face:eyes=101", "face:exaggerate=-1",
                                     "face:exaggerate=301", "face:face=0", "face:eyes=1,,nose=2"}) {
        const auto r = cli("edit " + kSample + " " + dir.path("out.jpg") + " " + action);
        EXPECT_EQ(r.status, 2) << action << ": " << r.out;
        EXPECT_FALSE(fs::exists(dir.path("out.jpg"))) << action;
    }
    const auto usage = cli("edit");
    for (const std::string name : {"exaggerate", "eyes", "eye-distance", "nose-length", "smile", "forehead", "head"})
        EXPECT_NE(usage.out.find(" " + name + " ("), std::string::npos) << name << "\n" << usage.out;
}

// The same settings by edit and by batch give the same picture; a second
// face that is not there, and a picture without a face, are named with their
// reason while the others go on.
TEST(FaceAction, EditAndBatchMakeTheSameCaricatureAndNameFacelessPictures) {
    test::TempDir dir;
    const auto edit = cli("edit " + kSample + " " + dir.path("edit.bmp") + " face:exaggerate=150,eyes=30,nose=-20");
    ASSERT_EQ(edit.status, 0) << edit.out;
    ASSERT_EQ(cli("convert " + kSample + " " + dir.path("plain.bmp")).status, 0);
    PixelSurface caricature, plain;
    caricature.assign(loadPicture(dir.path("edit.bmp")));
    plain.assign(loadPicture(dir.path("plain.bmp")));
    int changed = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) changed += caricature.pixel(x, y) != plain.pixel(x, y);
    EXPECT_GT(changed, 2000);
    // The far corners are beyond the face's margin: untouched.
    EXPECT_EQ(caricature.pixel(500, 500), plain.pixel(500, 500));
    EXPECT_EQ(caricature.pixel(5, 505), plain.pixel(5, 505));

    const auto second = cli("edit " + kSample + " " + dir.path("second.bmp") + " face:exaggerate=100,face=2");
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.out.find("face 2: the picture has only 1 face"), std::string::npos) << second.out;

    fs::copy_file(kSample, dir.path("portrait.jpg"));
    const std::string flat = writeFlat(dir);
    const auto batch = cli("batch --out " + dir.path("out") + " --format bmp --jobs 2 " + dir.path("portrait.jpg") + " " +
                           flat + " -- face:exaggerate=150,eyes=30,nose=-20");
    EXPECT_EQ(batch.status, 1) << batch.out;
    EXPECT_NE(batch.out.find(flat + ": " + face_messages::kNoFace), std::string::npos) << batch.out;
    EXPECT_NE(batch.out.find("1 of 2 pictures written; 1 failed."), std::string::npos) << batch.out;
    PixelSurface batched;
    batched.assign(loadPicture(dir.path("out/portrait.bmp")));
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) ASSERT_EQ(batched.pixel(x, y), caricature.pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace mugwarp
