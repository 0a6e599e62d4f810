#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "filterproc/shared_picture.h"
#include "filterproc/shared_picture_file.h"
#include "support/temp_dir.h"

namespace mugwarp::filterproc {
namespace {

// A new shared picture file holds the content it was made with where it was
// asked for, zeroes around it, and has the whole size on disk; content that
// does not fit and a folder that is not there are refused.
TEST(SharedPictureFile, IsMadeHoldingItsContentAndZeroesElsewhere) {
    const test::TempDir dir;
    const SharedPictureLayout layout(300, 200, true);
    std::vector<std::uint8_t> pixels(layout.pixelBytes());
    std::iota(pixels.begin(), pixels.end(), std::uint8_t{1});
    const auto file = createSharedPictureFile(dir.dir().string(), layout.totalBytes(),
                                              {layout.pictureOffset(), pixels.data(), pixels.size()});
    ASSERT_EQ(file->size(), layout.totalBytes());
    EXPECT_EQ(file->sizeOnDisk(), layout.totalBytes());
    const std::uint8_t* bytes = file->data();
    EXPECT_TRUE(std::all_of(bytes, bytes + layout.pictureOffset(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), bytes + layout.pictureOffset()));
    EXPECT_TRUE(std::all_of(bytes + layout.maskOffset(), bytes + layout.totalBytes(), [](std::uint8_t b) { return b == 0; }));

    const auto empty = createSharedPictureFile(dir.dir().string(), 8192);
    EXPECT_EQ(empty->sizeOnDisk(), 8192u);
    EXPECT_EQ(*std::max_element(empty->data(), empty->data() + 8192), 0);

    EXPECT_THROW(createSharedPictureFile(dir.dir().string(), 100, {50, pixels.data(), 51}), std::logic_error);
    EXPECT_THROW(createSharedPictureFile(dir.path("missing"), 100), std::runtime_error);
}

// The picture is read back from the file, never through the mapping: a file
// a runner shortened gives a failed read where touching the mapped pages
// past the new end would end the editor.
TEST(SharedPictureFile, ReadsBackWhatIsThereAndRefusesWhatWasCutAway) {
    const test::TempDir dir;
    const SharedPictureLayout layout(64, 32, false);
    std::vector<std::uint8_t> pixels(layout.pixelBytes());
    std::iota(pixels.begin(), pixels.end(), std::uint8_t{7});
    const auto file = createSharedPictureFile(dir.dir().string(), layout.totalBytes(),
                                              {layout.pictureOffset(), pixels.data(), pixels.size()});
    std::vector<std::uint8_t> back(pixels.size());
    ASSERT_TRUE(file->readAt(layout.pictureOffset(), back.data(), back.size()));
    EXPECT_EQ(back, pixels);
    const std::size_t cut = layout.pictureOffset() + pixels.size() / 2;
    ASSERT_EQ(::truncate(file->path().c_str(), off_t(cut)), 0);
    EXPECT_FALSE(file->readAt(layout.pictureOffset(), back.data(), back.size()));
    EXPECT_TRUE(file->readAt(layout.pictureOffset(), back.data(), pixels.size() / 2));
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + std::ptrdiff_t(pixels.size() / 2), pixels.begin()));
    EXPECT_FALSE(file->readAt(cut, back.data(), 1));
}

}  // namespace
}  // namespace mugwarp::filterproc
