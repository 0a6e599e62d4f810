#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "filterapply/filter_settings_store.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"
#include "runner_test_support.h"
#include "support/command_run.h"
#include "support/temp_dir.h"

namespace mugwarp {
namespace {

namespace fs = std::filesystem;
using test::cli;

const std::string kSample = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";
const std::string kProbes = MUGWARP_FAULT_MODULES;
const std::string kScripted = "'filter:Settings/Scripted Settings";

// The settings probe's result on the sample picture, inside the border a
// rebase makes transparent.
bool isProbeResult(const std::string& file, int amount) {
    PixelSurface original, result;
    original.assign(loadPicture(kSample));
    result.assign(loadPicture(file));
    test::TestPicture expected(original.width(), original.height());
    for (int y = 0; y < original.height(); ++y)
        for (int x = 0; x < original.width(); ++x) expected.pixels[std::size_t(y) * original.width() + x] = original.pixel(x, y);
    const auto want = test::probeResult(expected, amount);
    for (int y = 1; y + 1 < original.height(); ++y)
        for (int x = 1; x + 1 < original.width(); ++x)
            if ((want[std::size_t(y) * original.width() + x] ^ result.pixel(x, y)) & 0xFFFFFF) return false;
    return true;
}

class FilterSettingsCommands : public ::testing::Test {
protected:
    FilterSettingsCommands() {
        ::unsetenv("MUGWARP_PROBE_AMOUNT");
        plugins.scanDirectory(kProbes, false);
    }
    // The editor's part: a run with the dialog, whose settings are kept.
    void recordInADialogRun(const char* name, int amount) {
        filterproc::FilterRunnerHost host(test::testRunners());
        test::ScriptedClient user;
        user.chosenColour[0] = std::int16_t(amount);
        test::TestPicture picture(20, 10);
        ASSERT_TRUE(test::runInRunner(host, test::entryNamed(plugins, name), picture, &user));
        store.save({identityOf(test::entryNamed(plugins, name)), host.lastSettings()});
    }
    test::CommandRun withConfig(const std::string& args) {
        return test::runCommand("env XDG_CONFIG_HOME=" + dir.path("config") + " " + MUGWARP_CLI + " " + args);
    }
    test::CommandRun edit(const std::string& out, const std::string& filter) {
        return withConfig("edit " + kSample + " " + dir.path(out) + " --plugins " + kProbes + " " + filter);
    }

    test::TempDir dir;
    PSPluginList plugins;
    FilterSettingsStore store{dir.path("config") + "/mugwarp/filter-settings"};
};

TEST_F(FilterSettingsCommands, SettingsRecordedInADialogRunGiveTheSamePixelsHeadlessInEditAndBatch) {
    recordInADialogRun("Scripted Settings", 29);
    auto r = edit("last.bmp", kScripted + ":last'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(isProbeResult(dir.path("last.bmp"), 29));

    r = withConfig("filter-settings --plugins " + kProbes + " export 'Settings/Scripted Settings' " + dir.path("mine.settings"));
    ASSERT_EQ(r.status, 0) << r.out;
    r = edit("file.bmp", kScripted + ":settings=" + dir.path("mine.settings") + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(isProbeResult(dir.path("file.bmp"), 29));

    const std::string listed = std::string("Settings/Scripted Settings\t") + fs::canonical(kProbes + "/settings_probe.8bf").string() +
                               "\tcurrent\t4 bytes\t14 keys\t";
    EXPECT_NE(withConfig("filter-settings list").out.find(listed), std::string::npos) << withConfig("filter-settings list").out;
    fs::remove_all(dir.path("config"));
    EXPECT_EQ(withConfig("filter-settings list").out, "");
    r = withConfig("filter-settings import " + dir.path("mine.settings"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(withConfig("filter-settings list").out.find(listed), std::string::npos);

    fs::copy_file(kSample, dir.path("one.jpg"));
    fs::copy_file(kSample, dir.path("two.jpg"));
    r = withConfig("batch --out " + dir.path("out") + " --format bmp --jobs 2 --plugins " + kProbes + " " +
                   dir.path("one.jpg") + " " + dir.path("two.jpg") + " -- " + kScripted + ":last'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(isProbeResult(dir.path("out/one.bmp"), 29));
    EXPECT_TRUE(isProbeResult(dir.path("out/two.bmp"), 29));
}

TEST_F(FilterSettingsCommands, MissingDamagedAndForeignSettingsStopTheScriptWithTheReason) {
    std::ofstream(dir.path("damaged.settings")) << "MWFS\x01";
    recordInADialogRun("Block Settings", 5);
    ASSERT_EQ(withConfig("filter-settings --plugins " + kProbes + " export 'Settings/Block Settings' " +
                         dir.path("block.settings")).status, 0);
    const struct {
        std::string filter;
        const char* says;
    } cases[] = {
        {kScripted + ":last'", "There are no saved settings for the filter 'Scripted Settings' to use: none are saved."},
        {kScripted + ":settings=" + dir.path("damaged.settings") + "'", "holds no filter settings"},
        {kScripted + ":settings=" + dir.path("nothing.settings") + "'", "Cannot read the filter settings file"},
        {kScripted + ":settings=" + dir.path("block.settings") + "'", "do not fit the filter 'Scripted Settings': they are for another module"},
    };
    for (const auto& c : cases) {
        const auto r = edit("out.bmp", c.filter);
        EXPECT_EQ(r.status, 1) << c.filter << "\n" << r.out;
        EXPECT_NE(r.out.find(c.says), std::string::npos) << r.out;
        EXPECT_FALSE(fs::exists(dir.path("out.bmp")));
    }
    EXPECT_EQ(withConfig("filter-settings import " + dir.path("damaged.settings")).status, 1);
    EXPECT_EQ(withConfig("filter-settings frobnicate").status, 2);
}

}  // namespace
}  // namespace mugwarp
