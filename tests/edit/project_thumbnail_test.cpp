#include "edit/project_thumbnail.h"

#include <gtest/gtest.h>

#include "raster/error.h"
#include "support/picture_checks.h"

namespace mugwarp {
namespace {

TEST(ProjectThumbnail, EachPixelIsTheAlphaWeightedMeanOfWhatItCovers) {
    PixelSurface picture(4, 2);
    // Left 2 x 2: red and blue, half each; right: opaque green beside fully
    // transparent black, which must not darken it.
    for (int y = 0; y < 2; ++y) {
        picture.row(y)[0] = 0xFFFF0000;
        picture.row(y)[1] = 0xFF0000FF;
        picture.row(y)[2] = 0xFF00FF00;
        picture.row(y)[3] = 0x00000000;
    }
    const PixelSurface small = shrinkPicture(picture, 2, 1);
    EXPECT_EQ(small.row(0)[0], 0xFF800080u);
    EXPECT_EQ(small.row(0)[1], 0x8000FF00u);
    PixelSurface clear(3, 3);
    clear.fillRect(clear.bounds(), 0);
    EXPECT_EQ(shrinkPicture(clear, 1, 1).row(0)[0], 0u);
    EXPECT_THROW(shrinkPicture(picture, 5, 1), Error);
    EXPECT_THROW(shrinkPicture(picture, 0, 1), Error);
}

TEST(ProjectThumbnail, ThePictureShownWithItsOverlaysFitsTheSizeAsked) {
    struct Case {
        int width, height, size, expectedWidth, expectedHeight;
    } cases[] = {{400, 300, 256, 256, 192}, {300, 400, 128, 96, 128}, {1000, 3, 100, 100, 1}, {50, 40, 256, 50, 40}};
    for (const Case& c : cases) {
        ProjectSnapshot project;
        project.source = test::noise(c.width, c.height, 1);
        project.display = PixelSurface(c.width, c.height);
        project.display.fillRect(project.display.bounds(), 0xFF102030);
        PixelSurface white(c.width, c.height);
        white.fillRect(white.bounds(), 0xFFFFFFFF);
        white.setDrawMode(DrawMode::Blend);
        // An overlay over the right half.
        project.overlays.emplace_back(FloatRect{c.width / 2.0f, 0, float(c.width), float(c.height)}, std::move(white));
        const PixelSurface thumb = projectThumbnail(std::move(project), c.size);
        EXPECT_EQ(thumb.width(), c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(thumb.height(), c.expectedHeight);
        EXPECT_EQ(thumb.row(0)[0], 0xFF102030u);  // the picture as shown, not the source
        EXPECT_EQ(thumb.row(thumb.height() - 1)[thumb.width() - 1], 0xFFFFFFFFu);
    }
}

// Pictures larger than 1024 pixels carry a preview, which thumbnails use.
TEST(ProjectThumbnail, ALargeProjectsPreviewGivesTheSameThumbnail) {
    ProjectSnapshot project;
    project.source = test::noise(1500, 40, 1);
    project.display = PixelSurface(1500, 40);
    project.display.fillRect(project.display.bounds(), 0xFF102030);
    PixelSurface white(10, 10);
    white.fillRect(white.bounds(), 0xFFFFFFFF);
    white.setDrawMode(DrawMode::Blend);
    project.overlays.emplace_back(FloatRect{750, 0, 1500, 40}, std::move(white));
    const std::vector<std::uint8_t> bytes = packProject(project);
    EXPECT_TRUE(unpackProject(bytes).preview.isEmpty());
    ProjectSnapshot read = unpackProject(bytes, ProjectKind::Project, ProjectContent::Picture);
    ASSERT_EQ(read.preview.width(), 1024);
    ASSERT_EQ(read.preview.height(), 27);
    EXPECT_TRUE(read.source.isEmpty() && read.overlays.empty());  // the preview serves
    const PixelSurface fromPreview = projectThumbnail(std::move(read), 256);
    const PixelSurface whole = projectThumbnail(std::move(project), 256);
    ASSERT_EQ(fromPreview.width(), whole.width());
    ASSERT_EQ(fromPreview.height(), whole.height());
    EXPECT_EQ(fromPreview.row(3)[10], whole.row(3)[10]);
    EXPECT_EQ(fromPreview.row(3)[250], 0xFFFFFFFFu);
}

}  // namespace
}  // namespace mugwarp
