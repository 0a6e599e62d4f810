#include "face/face_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "face/face_messages.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

const std::string kPortrait = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";

// Loading takes a second or more: every test here shares one model.
const FaceModel& model() {
    static const std::shared_ptr<const FaceModel> loaded = FaceModel::load();
    return *loaded;
}

PixelSurface portrait() {
    PixelSurface s;
    s.assign(loadPicture(kPortrait));
    return s;
}

// Measured by hand on the sample portrait (picture pixels).
struct Measured {
    std::size_t landmark;
    double x, y;
};
constexpr Measured kMeasured[] = {
    {36, 193, 100},  // outer corner of the right eye
    {39, 212, 102},  // inner corner of the right eye
    {42, 237, 103},  // inner corner of the left eye
    {45, 257, 102},  // outer corner of the left eye
    {48, 202, 141},  // right corner of the mouth
    {54, 244, 141},  // left corner of the mouth
};
constexpr double kTolerance = 4.0;

TEST(FaceModel, FindsTheOneFaceOfTheSamplePortraitWithItsEyesAndMouth) {
    const std::vector<FoundFace> faces = model().findFaces(portrait());
    ASSERT_EQ(faces.size(), 1u);
    for (const Measured& m : kMeasured) {
        const FacePoint p = faces[0].points[m.landmark];
        EXPECT_LT(std::hypot(p.x - m.x, p.y - m.y), kTolerance) << "landmark " << m.landmark << " at " << p.x << "," << p.y;
    }
}

// The portrait at half size (a face about 40 pixels wide, found only on the
// enlarged copy) beside the portrait mirrored at full size: both faces, the
// bigger first, the small one's points where the halved picture has them.
TEST(FaceModel, FindsSmallAndMirroredFacesSideBySideLargestFirst) {
    const PixelSurface big = portrait();
    PixelSurface both(768, 512);
    both.fillRect(both.bounds(), 0xFF808080u);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) both.setPixel(767 - x, y, big.pixel(x, y));
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) both.setPixel(x, y + 128, big.pixel(2 * x, 2 * y));
    const std::vector<FoundFace> faces = model().findFaces(both);
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_GT(faces[0].box.width(), faces[1].box.width());
    EXPECT_GT(faces[0].box.left, 256);
    for (const Measured& m : kMeasured) {
        const FacePoint p = faces[1].points[m.landmark];
        EXPECT_LT(std::hypot(p.x - m.x / 2, p.y - (m.y / 2 + 128)), kTolerance) << "landmark " << m.landmark;
    }
}

TEST(FaceModel, PicturesWithoutAFaceGiveTheReason) {
    PixelSurface flat(640, 480);
    flat.fillRect(flat.bounds(), 0xFFC0C0C0u);
    const std::vector<PixelSurface> pictures = {flat, PixelSurface(1, 1), PixelSurface(3, 2000), PixelSurface()};
    for (const PixelSurface& picture : pictures) {
        try {
            requireFaces(model(), picture);
            ADD_FAILURE() << "a face in a " << picture.width() << "x" << picture.height() << " picture";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), face_messages::kNoFace);
        }
    }
}

TEST(FaceModel, AMissingOrDamagedModelGivesThePackageToInstall) {
    test::TempDir dir;
    const std::string cut = dir.path("cut.dat");
    {
        std::ifstream in(faceModelPath(), std::ios::binary);
        std::vector<char> head(200000);
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(cut, std::ios::binary).write(head.data(), in.gcount());
    }
    const std::string noise = dir.path("noise.dat");
    std::ofstream(noise, std::ios::binary) << std::string(5000, '\xA7');
    const std::string empty = dir.path("empty.dat");
    std::ofstream{empty};
    for (const std::string& path : {dir.path("none.dat"), cut, noise, empty, dir.dir().string()}) {
        try {
            FaceModel::load(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), face_messages::kModelMissing) << path;
        }
    }
}

}  // namespace
}  // namespace mugwarp
