#include <filesystem>
#include <map>

#include "formats/picture_io.h"
#include "test_support.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> picturesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

// Every shipped clipart and talk bubble opens as the editor opens it, at a size
// that suits a portrait; the GIFs are keyed, with the key around the shape (all
// four corners) and something drawn inside it.
TEST(ClipartCollection, EveryPictureOpensAndGifsAreKeyed) {
    const fs::path clipart = test::sourcePath("data/Clipart");
    const std::map<fs::path, std::size_t> atLeast = {{clipart, 12}, {clipart / "Talk Bubbles", 8}};
    std::map<std::string, int> byExtension;
    for (const auto& [folder, wanted] : atLeast) {
        const std::vector<fs::path> files = picturesIn(folder);
        EXPECT_GE(files.size(), wanted) << folder;
        for (const fs::path& file : files) {
            SCOPED_TRACE(file.string());
            const std::string extension = lowerExtension(file.string());
            ++byExtension[extension];
            PlatformBitmap picture;
            std::optional<PlatformColor> key;
            if (extension == ".gif") {
                GifPicture gif = loadGifPicture(file.string());
                EXPECT_FALSE(gif.damaged);
                picture = std::move(gif.composite);
                key = gif.transparentColor;
                ASSERT_TRUE(key.has_value());
                EXPECT_EQ(test::readFile(file.string()).at(4), '9');  // GIF89a
            } else {
                picture = loadPicture(file.string());
            }
            EXPECT_GE(picture.width(), 100);
            EXPECT_GE(picture.height(), 100);
            EXPECT_LE(picture.width(), 600);
            EXPECT_LE(picture.height(), 600);
            if (!key) continue;
            const Argb keyArgb = argbFromPlatform(*key, 255);
            const int w = picture.width(), h = picture.height();
            for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
                EXPECT_EQ(picture.pixelArgb(x, y), keyArgb) << x << "," << y;
            long drawn = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) drawn += picture.pixelArgb(x, y) != keyArgb;
            EXPECT_GT(drawn, long(w) * h / 8);
        }
    }
    // Some pieces are not GIFs, so inserting them takes the other path.
    EXPECT_GE(byExtension[".gif"], 16);
    EXPECT_GE(byExtension[".bmp"] + byExtension[".jpg"], 2);
}

}  // namespace
}  // namespace mugwarp
