#include "edit/project_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>

#include "edit/project_document.h"
#include "formats/crc32.h"
#include "raster/error.h"
#include "support/picture_checks.h"
#include "support/temp_dir.h"
#include "warp/stroke_controller.h"

namespace mugwarp {
namespace {

using test::noise;
using test::samePixels;

bool sameMap(const DisplacementMap& a, const DisplacementMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
    return true;
}

bool sameMap(const ByteMap& a, const ByteMap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + a.width(), b.row(y))) return false;
    return true;
}

// Taller than one band of rows, odd sizes, every value random, the picture
// as shown differing from the source only in places (as after strokes).
ProjectSnapshot sample(int width = 23, int height = 301) {
    ProjectSnapshot s;
    s.source = noise(width, height, 1);
    s.display = s.source;
    const PixelSurface changed = noise(width, height, 2);
    for (int y = 3; y < height; y += 5)
        for (int x = y % 4; x < width; x += 3) s.display.row(y)[x] = changed.row(y)[x];
    s.display.setOuterColor(0x00FDFEFF);
    s.deformation = DisplacementMap(width, height);
    std::mt19937 random(3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.deformation.setVector(x, y, {static_cast<Fixed>(random()), static_cast<Fixed>(random())});
    s.freezeMask = ByteMap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) s.freezeMask.setValue(x, y, static_cast<std::uint8_t>(random()));
    s.overlays.emplace_back(FloatRect{-3.5f, 2.25f, 40.0f, 9.0f}, noise(5, 3, 4));
    s.overlays.emplace_back(FloatRect{1, 1, 2, 2}, noise(1, 1, 5));
    s.pictureFileName = "/home/ana/Bilder/grüße \"1\".jpg";
    s.documentFileName = "/home/ana/Bilder/grüße.mugwarp";
    s.keyColor = 0x1FFFFFFF;
    s.outerColor = 0x00FDFEFF;
    s.savedAt = 1765170000;
    return s;
}

void expectSame(const ProjectSnapshot& out, const ProjectSnapshot& in) {
    EXPECT_TRUE(samePixels(out.source, in.source));
    EXPECT_EQ(out.source.outerColor(), in.source.outerColor());
    EXPECT_TRUE(samePixels(out.display, in.display));
    EXPECT_EQ(out.display.outerColor(), in.display.outerColor());
    EXPECT_TRUE(sameMap(out.deformation, in.deformation));
    EXPECT_TRUE(sameMap(out.freezeMask, in.freezeMask));
    ASSERT_EQ(out.overlays.size(), in.overlays.size());
    for (std::size_t i = 0; i < in.overlays.size(); ++i) {
        EXPECT_EQ(out.overlays[i].location, in.overlays[i].location);
        EXPECT_TRUE(samePixels(*out.overlays[i].picture, *in.overlays[i].picture));
        EXPECT_EQ(out.overlays[i].picture->drawMode(), DrawMode::Blend);
    }
    EXPECT_EQ(out.pictureFileName, in.pictureFileName);
    EXPECT_EQ(out.documentFileName, in.documentFileName);
    EXPECT_EQ(out.keyColor, in.keyColor);
    EXPECT_EQ(out.outerColor, in.outerColor);
    EXPECT_EQ(out.savedAt, in.savedAt);
}

TEST(ProjectFile, RoundTripIsBitExactWithAndWithoutTheOptionalParts) {
    const ProjectSnapshot full = sample();
    expectSame(unpackProject(packProject(full)), full);

    ProjectSnapshot bare = sample(1, 1);
    bare.display = PixelSurface();
    bare.deformation = DisplacementMap();
    bare.freezeMask = ByteMap();
    bare.overlays.clear();
    bare.pictureFileName = bare.documentFileName = "";
    expectSame(unpackProject(packProject(bare)), bare);
}

TEST(ProjectFile, PartsOfAnotherSizeThanThePictureAreNotWritten) {
    ProjectSnapshot s = sample();
    s.freezeMask = ByteMap(5, 5);
    EXPECT_THROW(packProject(s), Error);
    s = sample();
    s.deformation = DisplacementMap(23, 300);
    EXPECT_THROW(packProject(s), Error);
    EXPECT_THROW(packProject(ProjectSnapshot{}), Error);
}

// The offset and length of each part of a packed project, in file order.
struct Part {
    std::string tag;
    std::size_t at = 0;      // the tag
    std::size_t length = 0;  // the body
};
std::vector<Part> partsOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<Part> parts;
    for (std::size_t at = 20; at < bytes.size();) {
        std::uint64_t length = 0;
        for (int i = 0; i < 8; ++i) length |= std::uint64_t(bytes[at + 4 + i]) << (8 * i);
        parts.push_back({std::string(bytes.begin() + at, bytes.begin() + at + 4), at, length});
        at += 12 + length + 4;
    }
    return parts;
}

void setU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// Gives a forged part the check it needs, to reach the checks behind it.
void reseal(std::vector<std::uint8_t>& bytes, const Part& part) {
    const std::size_t end = part.at + 12 + part.length;
    setU32(bytes, end, crc32(std::span(bytes).subspan(part.at, 12 + part.length)));
}

std::string messageOf(const std::vector<std::uint8_t>& bytes) {
    try {
        unpackProject(bytes);
    } catch (const Error& e) {
        return e.what();
    }
    return "(read)";
}

TEST(ProjectFile, EachDamagedPartIsNamed) {
    const std::vector<std::uint8_t> good = packProject(sample());
    const std::vector<Part> parts = partsOf(good);
    const std::map<std::string, std::string> names = {
        {"HEAD", "the header"},         {"SRCE", "the source picture"}, {"SHOW", "the picture as shown"},
        {"WARP", "the deformation"},    {"FRZE", "the freeze mask"},    {"END ", "the end mark"}};
    ASSERT_EQ(parts.size(), 8u);
    int overlay = 0;
    for (const Part& part : parts) {
        const std::string name =
            part.tag == "OVLY" ? "overlay " + std::to_string(++overlay) : names.at(part.tag);
        // A byte in the middle of the body, or the tag's own check when the body is empty.
        std::vector<std::uint8_t> bad = good;
        bad[part.length ? part.at + 12 + part.length / 2 : part.at + 12] ^= 0x20;
        EXPECT_EQ(messageOf(bad), "The project file is damaged: " + name + " fails its check") << part.tag;
    }
    std::vector<std::uint8_t> preamble = good;
    preamble[13] ^= 1;  // the version
    EXPECT_EQ(messageOf(preamble), "The project file is damaged: its header fails its check");
}

TEST(ProjectFile, CutShortForeignAndNewerFilesAreRefusedWithTheirReasons) {
    const std::vector<std::uint8_t> good = packProject(sample(3, 2));
    for (std::size_t length = 12; length < good.size(); ++length) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(messageOf(cut).rfind("The project file is incomplete: it ends ", 0), 0u) << length;
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(messageOf(longer), "The project file is damaged: there are bytes after its end");
    for (const std::vector<std::uint8_t>& foreign :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1},
          std::vector<std::uint8_t>(good.begin(), good.begin() + 11)})
        EXPECT_EQ(messageOf(foreign), "This is not a Mugwarp project file");

    std::vector<std::uint8_t> newer = good;
    setU32(newer, 12, 2);
    setU32(newer, 16, crc32(std::span(newer).first(16)));
    EXPECT_EQ(messageOf(newer),
              "The project file was saved by a newer Mugwarp Studio (format 2); this version opens format 1");

    // A part a later version added: passed over when it may be, refused when it may not.
    for (const auto& [tag, readable] : {std::pair{"note", true}, std::pair{"NOTE", false}}) {
        std::vector<std::uint8_t> added(good.begin(), good.begin() + 20);
        const std::vector<std::uint8_t> part = {std::uint8_t(tag[0]), std::uint8_t(tag[1]), std::uint8_t(tag[2]),
                                                std::uint8_t(tag[3]), 1, 0, 0, 0, 0, 0, 0, 0, 'x', 0, 0, 0, 0};
        added.insert(added.end(), part.begin(), part.end());
        reseal(added, {tag, 20, 1});
        added.insert(added.end(), good.begin() + 20, good.end());
        EXPECT_EQ(messageOf(added) == "(read)", readable) << tag << ": " << messageOf(added);
    }
}

// Parts whose check is right but whose fields lie: refused before anything
// is allocated for them.
TEST(ProjectFile, HostileFieldsBehindGoodChecksAreRefused) {
    const std::vector<std::uint8_t> good = packProject(sample());
    const std::vector<Part> parts = partsOf(good);
    struct Case {
        const char* what;
        std::size_t part;
        std::size_t offset;  // into the body
        std::uint32_t value;
        const char* name;
    } cases[] = {
        {"a width beyond any picture", 0, 0, 0xFFFFFFFFu, "the header"},
        {"overlays beyond the limit", 0, 24, 1u << 30, "the header"},
        {"flags no version wrote", 0, 28, 8, "the header"},
        {"a name of 4 GB", 0, 32, 0xFFFFFF00u, "the header"},
        {"a source of a gigapixel", 1, 4, 1u << 20, "the source picture"},
        {"a source without rows", 1, 4, 0, "the source picture"},
        {"another band count", 1, 12, 7, "the source picture"},
        {"a band larger than the part", 1, 16, 0x7FFFFFFF, "the source picture"},
        {"a shown picture of another size", 2, 0, 24, "the picture as shown"},
        {"a deformation of another size", 3, 4, 300, "the deformation"},
        {"a mask of another size", 4, 0, 22, "the freeze mask"},
        {"an overlay place that is no number", 5, 0, 0x7FC00000u, "overlay 1"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> forged = good;
        const Part& part = parts[c.part];
        setU32(forged, part.at + 12 + c.offset, c.value);
        reseal(forged, part);
        const std::string message = messageOf(forged);
        EXPECT_EQ(message, std::string("The project file is damaged: ") + c.name + " is malformed") << c.what;
    }
}

TEST(ProjectFile, ReadingAFileNamesItAndTheReason) {
    test::TempDir dir;
    const std::string path = dir.path("work.mugwarp");
    writeProjectFile(path, sample(4, 4));
    EXPECT_TRUE(isProjectFile(path));
    EXPECT_NO_THROW(readProjectFile(path));
    std::ofstream(dir.path("photo.jpg"), std::ios::binary) << "\xFF\xD8\xFF\xE0";
    EXPECT_FALSE(isProjectFile(dir.path("photo.jpg")));
    EXPECT_FALSE(isProjectFile(dir.path("missing")));
    try {
        readProjectFile(dir.path("photo.jpg"));
        ADD_FAILURE() << "read a JPEG as a project";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open \"" + dir.path("photo.jpg") + "\". This is not a Mugwarp project file.");
    }
    EXPECT_THROW(readProjectFile(dir.path("missing.mugwarp")), Error);
    for (const auto& [name, project] : {std::pair{"a.mugwarp", true}, std::pair{"B.MugWarp", true},
                                         std::pair{"mugwarp", false}, std::pair{"a.mugwarp.jpg", false}})
        EXPECT_EQ(hasProjectExtension(name), project) << name;
}

// A document that reopens from its project goes on exactly as the one saved.
TEST(ProjectDocument, AStrokeAfterReopeningGivesTheSamePixelsAsBefore) {
    PixelSurface picture(120, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            picture.row(y)[x] = makeArgb(255, std::uint8_t(x * 2), std::uint8_t(y * 3), std::uint8_t((x ^ y) * 5));
    Document before;
    before.loadRecovered(picture, 0xFDFEFF, 0x00FDFEFF, "/tmp/face.jpg");
    auto stroke = [](Document& doc, WarpTool tool, PixelPoint from, PixelPoint to) {
        StrokeController strokes(doc);
        strokes.selectTool(tool);
        strokes.setBrushSize(40);
        strokes.press(from, {true, false, false});
        strokes.move(to, {true, false, false});
        strokes.tick();
        strokes.release();
    };
    stroke(before, WarpTool::Warp, {60, 45}, {70, 40});
    OverlayStack overlays;
    overlays.add(Overlay(FloatRect{10.5f, 5, 30, 20}, noise(4, 3, 9)));
    ByteMap mask(120, 90);
    mask.fill(255);
    before.setFreezeMask(mask);
    const std::vector<std::uint8_t> bytes = packProject(projectOf(before, overlays));

    Document after;
    OverlayStack reopened;
    installProject(after, reopened, unpackProject(bytes), "/tmp/face.mugwarp");
    EXPECT_TRUE(samePixels(after.display(), before.display()));
    EXPECT_TRUE(samePixels(after.source(), before.source()));
    EXPECT_TRUE(sameMap(after.deformation(), before.deformation()));
    EXPECT_TRUE(sameMap(after.freezeMask(), mask));
    EXPECT_FALSE(after.isModified());
    EXPECT_EQ(after.documentFileName(), "/tmp/face.mugwarp");
    EXPECT_EQ(after.pictureFileName(), "/tmp/face.jpg");
    ASSERT_EQ(reopened.size(), 1u);
    EXPECT_EQ(reopened.at(0).location, overlays.at(0).location);

    stroke(before, WarpTool::Twirl, {50, 50}, {52, 50});
    stroke(after, WarpTool::Twirl, {50, 50}, {52, 50});
    EXPECT_TRUE(samePixels(after.display(), before.display()));
    EXPECT_TRUE(sameMap(after.deformation(), before.deformation()));
    // Restore reaches back to the source the project kept.
    after.restore();
    EXPECT_TRUE(samePixels(after.display(), picture));
}

TEST(ProjectDocument, AProjectThatDoesNotFitLeavesTheDocumentAsItWas) {
    Document doc;
    doc.loadRecovered(noise(8, 6, 1), 0xFDFEFF, 0x00FDFEFF, "/tmp/kept.jpg");
    const PixelSurface shown = doc.display();
    OverlayStack overlays;
    ProjectSnapshot wrong = sample(5, 5);
    wrong.freezeMask = ByteMap(4, 4);
    EXPECT_THROW(installProject(doc, overlays, std::move(wrong), "/tmp/x.mugwarp"), Error);
    EXPECT_TRUE(samePixels(doc.display(), shown));
    EXPECT_EQ(doc.pictureFileName(), "/tmp/kept.jpg");
    EXPECT_THROW(doc.setFreezeMask(ByteMap(3, 3)), Error);
}

}  // namespace
}  // namespace mugwarp
