#include <string>

#include "formats/file_io.h"
#include "formats/picture_file.h"
#include "formats/picture_io.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

bool haveExiftool() { return test::toolAvailable("/usr/bin/exiftool"); }

std::string tags(const std::string& file) {
    return test::capture("/usr/bin/exiftool -s -s -Make -Model -DateTimeOriginal -Copyright -Orientation "
                         "-ThumbnailLength -XMP-dc:Creator -IPTC:Keywords -ProfileDescription " + file);
}

// A phone photo tagged by an independent writer (camera, date, copyright,
// orientation 6, a thumbnail, XMP, IPTC): saved from the editor, the
// information comes back through the same independent reader, without
// orientation and thumbnail; stripped, none of it does.
TEST(Metadata, JpegAndWebpSavesKeepThePhotosInformation) {
    if (!haveExiftool()) GTEST_SKIP() << "no exiftool";
    TempDir tmp;
    savePicture(test::gradientPicture(64, 40), tmp.path("photo.jpg"), kDefaultKeyColor);
    savePicture(test::gradientPicture(16, 10), tmp.path("thumb.jpg"), kDefaultKeyColor);
    ASSERT_EQ(test::run("/usr/bin/exiftool -q -overwrite_original -Make=Acme -Model='Phone 12' "
                        "'-DateTimeOriginal=2024:05:06 07:08:09' '-Copyright=(c) Jo' -Orientation#=6 "
                        "'-ThumbnailImage<=" + tmp.path("thumb.jpg") + "' -XMP-dc:Creator=Jo -IPTC:Keywords=party " +
                        tmp.path("photo.jpg")), 0);
    ASSERT_NE(tags(tmp.path("photo.jpg")).find("ThumbnailLength"), std::string::npos);

    const PictureFile file = readPictureFile(tmp.path("photo.jpg"));
    EXPECT_EQ(file.declaredOrientation, 6);
    EXPECT_EQ(file.bitmap.width(), 40);  // upright
    PixelSurface upright;
    upright.assign(file.bitmap);
    SaveOptions keep;
    keep.photoInfo = &file.info;
    for (const char* name : {"kept.jpg", "kept.webp"}) {
        SCOPED_TRACE(name);
        savePicture(upright, tmp.path(name), kDefaultKeyColor, keep);
        const std::string shown = tags(tmp.path(name));
        EXPECT_NE(shown.find("Make: Acme"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Model: Phone 12"), std::string::npos) << shown;
        EXPECT_NE(shown.find("DateTimeOriginal: 2024:05:06 07:08:09"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Copyright: (c) Jo"), std::string::npos) << shown;
        EXPECT_NE(shown.find("Creator: Jo"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("Orientation"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("ThumbnailLength"), std::string::npos) << shown;
        // Opened again, the picture stays upright.
        EXPECT_EQ(readPictureFile(tmp.path(name)).bitmap.width(), 40);
    }
    EXPECT_NE(tags(tmp.path("kept.jpg")).find("Keywords: party"), std::string::npos);
    EXPECT_NE(tags(tmp.path("kept.jpg")).find("ProfileDescription: sRGB"), std::string::npos) << "says it is sRGB";

    savePicture(upright, tmp.path("stripped.jpg"), kDefaultKeyColor);
    const std::string stripped = tags(tmp.path("stripped.jpg"));
    for (const char* tag : {"Make", "DateTimeOriginal", "Creator", "Keywords", "Orientation"})
        EXPECT_EQ(stripped.find(tag), std::string::npos) << tag << " in " << stripped;
}

// Known by the first bytes: names and extensions do not decide; what is no
// picture is refused with its name and the formats that are read.
TEST(Metadata, FilesAreKnownByContent) {
    TempDir tmp;
    const PixelSurface picture = test::gradientPicture(12, 8);
    const struct {
        const char* written;
        const char* named;
        PictureKind kind;
    } cases[] = {{"a.png", "png-saved-as.jpg", PictureKind::Png},  {"a.webp", "webp-saved-as.jpg", PictureKind::Webp},
                 {"a.jpg", "jpeg-saved-as.png", PictureKind::Jpeg}, {"a.bmp", "bitmap-without-extension", PictureKind::Bmp},
                 {"a.gif", "gif-saved-as.webp", PictureKind::Gif}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        savePicture(picture, tmp.path(c.written), kNoKeyColor);
        std::filesystem::copy_file(tmp.path(c.written), tmp.path(c.named));
        const PictureFile file = readPictureFile(tmp.path(c.named));
        EXPECT_EQ(file.kind, c.kind);
        EXPECT_EQ(file.bitmap.width(), 12);
    }
    const std::string formats = "(it reads BMP, JPEG, GIF, PNG, WebP, HEIC and AVIF)";
    const struct {
        const char* name;
        std::string bytes;
        std::string says;
    } refused[] = {
        {"notes.txt", "hello", "Cannot open notes.txt: it is not a picture Mugwarp Studio reads " + formats},
        {"doc.jpg", "%PDF-1.4 ...", "Cannot open doc.jpg: it is not a picture Mugwarp Studio reads " + formats},
        {"movie.heic", std::string("\0\0\0\x14" "ftypisom\0\0\0\0isom", 20),
         "Cannot open movie.heic: it is not a picture Mugwarp Studio reads " + formats},
        {"empty.png", "", "Cannot open empty.png: the file is empty"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        test::writeFile(tmp.path(r.name), std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.end()));
        try {
            (void)readPictureFile(tmp.path(r.name));
            ADD_FAILURE() << "opened";
        } catch (const Error& e) {
            EXPECT_EQ(e.what(), r.says);
        }
    }
}

}  // namespace
}  // namespace mugwarp
