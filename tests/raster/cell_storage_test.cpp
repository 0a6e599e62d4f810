#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "raster/cell_storage.h"
#include "raster/color.h"

namespace mugwarp {
namespace {

// Picture blocks on both sides of the size from which they are fresh pages:
// each starts zeroed, every cell can be written and read back, and copies and
// moves behave as for any vector. Blocks given back and asked for again come
// zeroed too, whichever way they were made.
TEST(PictureCellsTest, BlocksOfEverySizeStartZeroedAndHoldWhatIsWritten) {
    constexpr std::size_t kMiB = std::size_t(1) << 20;
    for (const std::size_t count : {std::size_t(1), std::size_t(1000), kMiB - 1, kMiB, 2 * kMiB + 3}) {
        SCOPED_TRACE(count);
        for (int round = 0; round < 2; ++round) {
            PictureCells<Argb> cells(count);
            ASSERT_EQ(cells.size(), count);
            EXPECT_TRUE(std::all_of(cells.begin(), cells.end(), [](Argb a) { return a == 0; }));
            for (std::size_t i = 0; i < count; ++i) cells[i] = Argb(i * 2654435761u);
            const PictureCells<Argb> copy = cells;
            EXPECT_TRUE(copy == cells);
            const Argb* data = cells.data();
            PictureCells<Argb> moved = std::move(cells);
            EXPECT_EQ(moved.data(), data);
            EXPECT_EQ(moved[count - 1], Argb((count - 1) * 2654435761u));
        }
    }
}

// Huge pages come only to ranges on their boundary; a block of some
// megabytes starts on one so that all of it can have them.
TEST(PictureCellsTest, LargeBlocksStartOnAHugePageBoundary) {
    if (!kPictureBlocksOnHugePages) GTEST_SKIP() << "picture blocks come from the plain allocator here";
    const PictureCells<std::uint8_t> block(5u << 20);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % (2u << 20), 0u);
}

}  // namespace
}  // namespace mugwarp
