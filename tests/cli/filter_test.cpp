#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "support/command_run.h"
#include "support/pe_patch.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

using CliRun = test::CommandRun;
using test::cli;
using test::runCommand;

const std::string kSample = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";
const std::string kPlugins = std::string(" --plugins ") + MUGWARP_BUILT_PLUGINS_DIR + " ";

// Whether every interior pixel of b is a's, inverted or not (a rebase clears the border).
bool interiorMatches(const PixelSurface& a, const PixelSurface& b, bool inverted) {
    for (int y = 1; y + 1 < a.height(); ++y)
        for (int x = 1; x + 1 < a.width(); ++x)
            if ((inverted ? ~a.pixel(x, y) : a.pixel(x, y)) << 8 != b.pixel(x, y) << 8) return false;
    return true;
}

TEST(FilterCommands, ListTheSampleFiltersInMenuOrder) {
    const CliRun r = cli(std::string("filters ") + MUGWARP_BUILT_PLUGINS_DIR);
    ASSERT_EQ(r.status, 0) << r.out;
    std::istringstream lines(r.out);
    std::string first;
    std::getline(lines, first);
    EXPECT_EQ(first,
              std::string("Mugwarp Adjust\tInvert\tnative\t") + MUGWARP_BUILT_PLUGINS_DIR + "/invert.8bf\tPluginMain\tyes");
    std::size_t native = 0;
    for (std::size_t at = 0; (at = r.out.find("\tnative\t", at)) != std::string::npos; ++at) ++native;
    EXPECT_EQ(native, 8u);  // the Windows builds, when made, are listed too
    // 32-bit Windows modules run where 32-bit Wine and their runner are.
    if (::access("/usr/lib/wine/wine", X_OK) == 0 && r.out.find("\twindows-x86\t") != std::string::npos) {
        for (std::string line; std::getline(lines, line);) {
            if (line.find("\twindows-x86\t") != std::string::npos) {
                EXPECT_EQ(line.substr(line.size() - 4), "\tyes") << line;
            }
        }
    }
    EXPECT_EQ(cli("filters /no/such/folder").status, 1);

    // --verbose says first how runners are confined here, then lists the same.
    const CliRun verbose = cli(std::string("filters --verbose ") + MUGWARP_BUILT_PLUGINS_DIR);
    ASSERT_EQ(verbose.status, 0) << verbose.out;
    EXPECT_EQ(verbose.out.rfind("# filter runners run with: no new privileges", 0), 0u) << verbose.out;
    EXPECT_NE(verbose.out.find("\n" + first + "\n"), std::string::npos);
}

TEST(FilterCommands, WindowsModulesThatCannotLoadSayWhyInTheList) {
    const std::string invert = std::string(MUGWARP_BUILT_PLUGINS_DIR) + "/windows/invert.8bf";
    if (!std::filesystem::exists(invert)) GTEST_SKIP() << "the Windows samples need the mingw-w64 cross compiler";
    if (!std::filesystem::exists("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"))
        GTEST_SKIP() << "without Wine there is nothing to judge the DLLs by";
    test::TempDir dir;
    std::vector<std::uint8_t> missing = test::readBytes(invert), dotNet = missing;
    ASSERT_TRUE(test::renameImport(missing, "msvcrt.dll", "absent.dll"));
    ASSERT_TRUE(test::markAsDotNet(dotNet));
    test::writeBytes(dir.path("missing.8bf"), missing);
    test::writeBytes(dir.path("dotnet.8bf"), dotNet);
    std::filesystem::copy_file(invert, dir.path("fine.8bf"));
    const CliRun r = cli("filters " + dir.dir().string());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("missing.8bf\tPluginMain\tno: needs absent.dll, which is not installed.\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("dotnet.8bf\tPluginMain\tno: .NET filters cannot run here.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("fine.8bf\tPluginMain\tyes\n"), std::string::npos) << r.out;
    // Chosen all the same, it says so and the picture is not written.
    test::TempDir alone;
    test::writeBytes(alone.path("missing.8bf"), missing);
    const CliRun chosen = cli("edit " + kSample + " " + alone.path("out.bmp") + " --plugins " + alone.dir().string() +
                              " 'filter:Mugwarp Adjust/Invert'");
    EXPECT_EQ(chosen.status, 1);
    EXPECT_NE(chosen.out.find("The filter 'Invert' cannot run: needs absent.dll, which is not installed."),
              std::string::npos) << chosen.out;
    EXPECT_FALSE(std::filesystem::exists(alone.path("out.bmp")));
    // The DLL beside the module is found there.
    std::filesystem::copy_file(invert, dir.path("absent.dll"));
    EXPECT_NE(cli("filters " + dir.dir().string()).out.find("missing.8bf\tPluginMain\tyes\n"), std::string::npos);
}

TEST(FilterCommands, EditScriptRunsAndRepeatsFiltersHeadless) {
    test::TempDir dir;
    PixelSurface original;
    original.assign(loadPicture(kSample));
    const struct {
        std::string actions;
        bool inverted;
    } cases[] = {{"'filter:Mugwarp Adjust/Invert'", true}, {"'filter:Mugwarp Adjust/Invert' filter-repeat", false}};
    for (const auto& c : cases) {
        const CliRun r = cli("edit " + kSample + " " + dir.path("out.bmp") + kPlugins + c.actions);
        ASSERT_EQ(r.status, 0) << r.out;
        PixelSurface result;
        result.assign(loadPicture(dir.path("out.bmp")));
        EXPECT_TRUE(interiorMatches(original, result, c.inverted)) << c.actions;
    }
    // A dialog filter runs with its defaults: no display, no waiting.
    EXPECT_EQ(cli("edit " + kSample + " " + dir.path("b.bmp") + kPlugins + "'filter:Mugwarp Blur/Gaussian Blur...'").status, 0);
}

TEST(FilterCommands, AMisbehavingFilterFailsTheScriptWithItsNameAndWritesNothing) {
    test::TempDir dir;
    const std::string faults = std::string(" --plugins ") + MUGWARP_FAULT_MODULES + " --filter-timeout 1 ";
    const struct {
        const char* filter;
        const char* says;
    } cases[] = {
        {"Crash in start", "The filter 'Crash in start' stopped unexpectedly (Segmentation fault)."},
        {"Exit in parameters", "The filter 'Exit in parameters' stopped unexpectedly (exit code 3)."},
        {"Hang in continue", "The filter 'Hang in continue' stopped responding and was ended."},
        {"Allocate in start", "The filter 'Allocate in start' stopped unexpectedly"},
        // A cancel is no success: the script stops instead of saving the picture unfiltered.
        {"Cancel in parameters", "The filter 'Cancel in parameters' was cancelled; the picture is unchanged.\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = cli("edit " + kSample + " " + dir.path("out.bmp") + faults + "'filter:Faults/" + c.filter + "'");
        EXPECT_EQ(r.status, 1) << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_FALSE(std::filesystem::exists(dir.path("out.bmp")));
    }
}

// Free modules store names with a terminator counted in or a blank in front:
// the list shows them trimmed and a filter step finds them as typed.
TEST(FilterCommands, NamesWithStrayBytesAreListedAndFoundAsAPersonTypesThem) {
    test::TempDir dir;
    std::filesystem::copy_file(std::string(MUGWARP_TEST_MODULES) + "/stray_bytes.8bf", dir.path("stray.8bf"));
    const CliRun list = cli("filters --plugins " + dir.dir().string());
    ASSERT_EQ(list.status, 0) << list.out;
    EXPECT_EQ(list.out.rfind("The Plugin Site\tHSL to RGB\tnative\t", 0), 0u) << list.out;
    const CliRun run = cli("edit " + kSample + " " + dir.path("out.bmp") + " --plugins " + dir.dir().string() +
                           " 'filter:The Plugin Site/HSL to RGB'");
    EXPECT_EQ(run.status, 0) << run.out;
}

// Modules that share a category and a name are told apart in the list, by the
// Filters menu's caption or by file in a filter step; the bare name fails
// with the choices.
TEST(FilterCommands, ModulesSharingANameArePickedByCaptionOrFileAndTheBareNameListsThem) {
    test::TempDir dir;
    for (const char* copy : {"a/invert.8bf", "b/other.8bf"}) {
        std::filesystem::create_directories(std::filesystem::path(dir.path(copy)).parent_path());
        std::filesystem::copy_file(std::string(MUGWARP_BUILT_PLUGINS_DIR) + "/invert.8bf", dir.path(copy));
    }
    const CliRun list = cli("filters --plugins " + dir.dir().string());
    ASSERT_EQ(list.status, 0) << list.out;
    EXPECT_NE(list.out.find("Mugwarp Adjust\tInvert (invert.8bf)\tnative\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Mugwarp Adjust\tInvert (other.8bf)\tnative\t"), std::string::npos) << list.out;
    EXPECT_EQ(cli("filters --plugins").status, 2);
    EXPECT_EQ(cli("filters --plugins " + dir.dir().string() + " " + dir.dir().string()).status, 2);

    PixelSurface original;
    original.assign(loadPicture(kSample));
    const std::string plugins = " --plugins " + dir.dir().string() + " ";
    for (const char* step : {"'filter:Mugwarp Adjust/Invert (other.8bf)'", "'filter:Mugwarp Adjust/Invert@invert.8bf'"}) {
        const CliRun r = cli("edit " + kSample + " " + dir.path("out.bmp") + plugins + step);
        ASSERT_EQ(r.status, 0) << step << ": " << r.out;
        PixelSurface result;
        result.assign(loadPicture(dir.path("out.bmp")));
        EXPECT_TRUE(interiorMatches(original, result, true)) << step;
        std::filesystem::remove(dir.path("out.bmp"));
    }
    const CliRun shared = cli("edit " + kSample + " " + dir.path("out.bmp") + plugins + "'filter:Mugwarp Adjust/Invert'");
    EXPECT_EQ(shared.status, 1);
    EXPECT_NE(shared.out.find("is shared by 2 modules"), std::string::npos) << shared.out;
    EXPECT_NE(shared.out.find("\n  filter:Mugwarp Adjust/Invert (invert.8bf)\n  filter:Mugwarp Adjust/Invert (other.8bf)"),
              std::string::npos) << shared.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.bmp")));
}

// Without a display a filter's dialog cannot open: the step says so rather
// than running on defaults the person meant to set.
TEST(FilterCommands, ADialogStepWithoutADisplayFailsAndWritesNothing) {
    test::TempDir dir;
    const CliRun r = runCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(MUGWARP_CLI) + " edit " + kSample +
                                " " + dir.path("out.bmp") + kPlugins + "'filter:Mugwarp Blur/Gaussian Blur...:dialog'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("The filter 'Gaussian Blur...' cannot show its dialog: there is no display"), std::string::npos)
        << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.bmp")));
}

TEST(FilterCommands, UnknownFiltersAndEarlyRepeatsFail) {
    test::TempDir dir;
    for (const std::string actions : {"'filter:Nope/Nothing'", "filter-repeat"}) {
        const CliRun r = cli("edit " + kSample + " " + dir.path("out.bmp") + kPlugins + actions);
        EXPECT_EQ(r.status, 1) << actions << ": " << r.out;
    }
    EXPECT_EQ(cli("edit " + kSample + " " + dir.path("out.bmp") + " filter:Invert").status, 2);
}

}  // namespace
}  // namespace mugwarp
