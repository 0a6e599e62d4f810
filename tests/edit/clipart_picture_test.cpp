#include <gtest/gtest.h>

#include <fstream>

#include "edit/clipart_picture.h"
#include "formats/picture_io.h"
#include "raster/error.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

TEST(ClipartPicture, GifKeyedOrOpaqueAndOtherFilesAsLoaded) {
    test::TempDir dir;
    PixelSurface art(4, 2);
    art.fillRect(art.bounds(), 0xFF2040A0);
    art.setPixel(3, 1, 0x00000000);
    savePicture(art, dir.path("a.GIF"), 0xFDFEFF);
    savePicture(art, dir.path("a.bmp"), 0xFDFEFF);

    const ClipartPicture keyed = loadClipartPicture(dir.path("a.GIF"), true);
    EXPECT_TRUE(keyed.keyed);
    EXPECT_EQ(alphaOf(keyed.picture.pixel(3, 1)), 0);
    EXPECT_EQ(alphaOf(keyed.picture.pixel(0, 0)), 255);
    EXPECT_EQ(keyed.picture.drawMode(), DrawMode::Blend);
    EXPECT_EQ(keyed.picture.samplerKind(), SamplerKind::Nearest);

    const ClipartPicture opaque = loadClipartPicture(dir.path("a.GIF"), false);
    EXPECT_FALSE(opaque.keyed);
    EXPECT_EQ(alphaOf(opaque.picture.pixel(3, 1)), 255);

    const ClipartPicture bitmap = loadClipartPicture(dir.path("a.bmp"), true);
    EXPECT_FALSE(bitmap.keyed);
    EXPECT_EQ(bitmap.picture.pixel(0, 0), 0xFF2040A0u);

    std::ofstream(dir.path("bad.gif")) << "GIF89a?";
    EXPECT_THROW(loadClipartPicture(dir.path("bad.gif"), true), Error);
    EXPECT_THROW(loadClipartPicture(dir.path("a.png"), false), Error);
}

}  // namespace
}  // namespace mugwarp
