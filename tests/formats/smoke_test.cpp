#include "test_support.h"
#include "formats/picture_io.h"

using namespace mugwarp;

TEST(PictureIo, LowerExtension) {
    EXPECT_EQ(lowerExtension("/a/B.JPG"), ".jpg");
    EXPECT_EQ(lowerExtension("/a.b/c"), "");
    EXPECT_EQ(lowerExtension("name"), "");
}
