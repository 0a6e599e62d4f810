#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/command_run.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

using test::cli;

std::string sample() { return std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg"; }

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr const char* kFirst = "--size 120 warp:left:256,200/270,200/285,205:hold=4";
constexpr const char* kSecond = "twirl:right:200,300:hold=3";

// Strokes split over two sittings, with a project between them, give the
// same picture as the same strokes in one.
TEST(ProjectCommands, WorkGoesOnFromAProjectAsIfItHadNeverStopped) {
    test::TempDir dir;
    const std::string project = dir.path("face.mugwarp");
    ASSERT_EQ(cli("edit " + sample() + " " + project + " " + kFirst).status, 0);
    ASSERT_EQ(cli("edit " + project + " " + dir.path("later.bmp") + " --size 120 " + kSecond).status, 0);
    ASSERT_EQ(cli("edit " + sample() + " " + dir.path("once.bmp") + " " + kFirst + " " + kSecond).status, 0);
    EXPECT_EQ(bytesOf(dir.path("later.bmp")), bytesOf(dir.path("once.bmp")));

    // convert flattens as Save does.
    ASSERT_EQ(cli("edit " + sample() + " " + dir.path("direct.bmp") + " " + kFirst).status, 0);
    ASSERT_EQ(cli("convert " + project + " " + dir.path("flat.bmp")).status, 0);
    EXPECT_EQ(bytesOf(dir.path("flat.bmp")), bytesOf(dir.path("direct.bmp")));

    const test::CommandRun info = cli("info " + project);
    EXPECT_EQ(info.out, "format: Mugwarp project\nwidth: 512\nheight: 512\ndeformed: yes\nfrozen: no\noverlays: 0\n"
                        "picture: " + sample() + "\n");
}

TEST(ProjectCommands, DamagedProjectsAreRefusedWithTheReasonAndNoOutput) {
    test::TempDir dir;
    const std::string project = dir.path("face.mugwarp");
    ASSERT_EQ(cli("convert " + sample() + " " + project).status, 0);
    std::string bytes = bytesOf(project);
    bytes[bytes.size() / 2] ^= 0x40;
    std::ofstream(dir.path("bad.mugwarp"), std::ios::binary) << bytes;
    std::ofstream(dir.path("cut.mugwarp"), std::ios::binary) << bytes.substr(0, 1000);
    struct Case {
        std::string file, message;
    } cases[] = {{"bad.mugwarp", "The project file is damaged: the source picture fails its check."},
                 {"cut.mugwarp", "The project file is incomplete: it ends within the source picture."}};
    for (const Case& c : cases) {
        for (const std::string& command : {"convert " + dir.path(c.file) + " " + dir.path("out.jpg"),
                                           "edit " + dir.path(c.file) + " " + dir.path("out.jpg") + " twirl:left:9,9",
                                           "animate " + dir.path(c.file) + " " + dir.path("out.gif"), "info " + dir.path(c.file)}) {
            const test::CommandRun run = cli(command);
            EXPECT_EQ(run.status, 1) << command;
            EXPECT_EQ(run.out, "Cannot open \"" + dir.path(c.file) + "\". " + c.message + "\n") << command;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.path("out.jpg")));
        EXPECT_FALSE(std::filesystem::exists(dir.path("out.gif")));
    }
}

TEST(ProjectCommands, BatchKeepsProjectsProjectsAndAnimateCountsFrames) {
    test::TempDir dir;
    const std::string project = dir.path("face.mugwarp");
    ASSERT_EQ(cli("edit " + sample() + " " + project + " " + kFirst).status, 0);
    ASSERT_EQ(cli("batch --out " + dir.path("out") + " " + project + " -- " + kSecond).status, 0);
    EXPECT_EQ(cli("info " + dir.path("out/face.mugwarp")).status, 0);

    struct Case {
        std::string arguments;
        int frames;
    } cases[] = {{project + " " + dir.path("a.gif"), 24},
                 {project + " " + dir.path("a.gif") + " --frames 3 --back-and-forth", 4},
                 {sample() + " " + dir.path("a.gif") + " --frames 5 -- " + kFirst, 5}};
    for (const Case& c : cases) {
        ASSERT_EQ(cli("animate " + c.arguments).status, 0) << c.arguments;
        EXPECT_EQ(test::runCommand("/usr/bin/identify " + dir.path("a.gif") + " | wc -l").out,
                  std::to_string(c.frames) + "\n");
    }
    for (const std::string& bad : {project + " " + dir.path("a.jpg"), project + " " + dir.path("a.gif") + " --frames 1",
                                   project + " " + dir.path("a.gif") + " " + kFirst})
        EXPECT_EQ(cli("animate " + bad).status, 2) << bad;
}

TEST(Thumbnailer, WritesAPngOfTheSizeAskedOrSaysWhyNot) {
    test::TempDir dir;
    const std::string project = dir.path("face.mugwarp");
    ASSERT_EQ(cli("edit " + sample() + " " + project + " " + kFirst).status, 0);
    const std::string thumbnailer = MUGWARP_THUMBNAILER;
    struct Case {
        std::string arguments;
        std::string expected;  // ImageMagick's reading
    } cases[] = {{"-s 256 " + project, "PNG 256x256"},
                 {"-s 100 file://" + project, "PNG 100x100"},
                 {project, "PNG 256x256"},
                 {"-s 1024 " + project, "PNG 512x512"}};  // never enlarged
    for (const Case& c : cases) {
        std::filesystem::remove(dir.path("t.png"));
        ASSERT_EQ(test::runCommand(thumbnailer + " " + c.arguments + " " + dir.path("t.png")).status, 0) << c.arguments;
        EXPECT_EQ(test::runCommand("/usr/bin/identify -format '%m %wx%h' " + dir.path("t.png")).out, c.expected);
    }
    const test::CommandRun foreign = test::runCommand(thumbnailer + " " + sample() + " " + dir.path("u.png"));
    EXPECT_EQ(foreign.status, 1);
    EXPECT_EQ(foreign.out, "Cannot open \"" + sample() + "\". This is not a Mugwarp project file.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("u.png")));
    EXPECT_EQ(test::runCommand(thumbnailer + " -s 0 " + project + " " + dir.path("u.png")).status, 2);
}

}  // namespace
}  // namespace mugwarp
