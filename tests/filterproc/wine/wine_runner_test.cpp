// Our samples cross-built as 64-bit and 32-bit Windows modules, run by the
// Windows runners under Wine. One runner per bitness serves every case:
// Wine's start-up is paid once each.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "filterproc/confinement.h"
#include "modules/display_layout.h"
#include "pshost/photoshop_error.h"
#include "runner_test_support.h"
#include "support/temp_dir.h"

using namespace mugwarp;
using namespace mugwarp::test;

namespace {

struct Bitness {
    ModuleKind kind;
    const char* folder;  // below the sample filters and the fault modules
};
void PrintTo(const Bitness& b, std::ostream* out) { *out << b.folder; }

class WindowsFilters : public ::testing::TestWithParam<Bitness> {
protected:
    void SetUp() override {
        const filterproc::FilterRunnerHost probe(testRunners());
        const std::string missing = probe.whyCannotRun(GetParam().kind);
        if (!missing.empty()) GTEST_SKIP() << missing;
    }

    static PSPluginList& list(const std::string& dir) {
        static std::map<std::string, std::unique_ptr<PSPluginList>> lists;
        auto& l = lists[dir];
        if (!l) {
            l = std::make_unique<PSPluginList>();
            l->scanDirectory(dir, false);
        }
        return *l;
    }
    static PSPluginList& native() { return list(MUGWARP_SAMPLE_FILTERS); }
    static PSPluginList& windows() { return list(std::string(MUGWARP_SAMPLE_FILTERS "/") + GetParam().folder); }
    // The misbehaving and the display test filters.
    static PSPluginList& testModules() { return list(std::string(MUGWARP_FAULT_MODULES "/") + GetParam().folder); }

    filterproc::FilterRunnerHost host{testRunners()};
};

}  // namespace

TEST_P(WindowsFilters, AreDiscoveredAsModulesOfTheirBitnessUnderTheNativeNames) {
    std::set<std::string> nativeNames, windowsNames;
    for (int i = 0; i < native().count(); ++i) nativeNames.insert(native().item(i).getName());
    for (int i = 0; i < windows().count(); ++i) {
        EXPECT_EQ(windows().item(i).moduleKind, GetParam().kind);
        EXPECT_EQ(windows().item(i).getEntryPoint(), "PluginMain");
        windowsNames.insert(windows().item(i).getName());
    }
    EXPECT_EQ(windowsNames, nativeNames);
}

TEST_P(WindowsFilters, EachSampleGivesTheSamePixelsAsItsNativeBuild) {
    for (int i = 0; i < windows().count(); ++i) {
        const PIPLManager& entry = windows().item(i);
        SCOPED_TRACE(entry.getName());
        ScriptedClient nativeClient, windowsClient;
        nativeClient.chosenColour[1] = windowsClient.chosenColour[1] = 150;
        TestPicture expected(57, 43), actual(57, 43);
        EXPECT_TRUE(runInProcess(entryNamed(native(), entry.getName()), expected, &nativeClient));
        EXPECT_TRUE(runInRunner(host, entry, actual, &windowsClient));
        EXPECT_EQ(expected.pixels, actual.pixels);
        EXPECT_EQ(nativeClient.progressSeen, windowsClient.progressSeen);
    }
}

// Two programs that use Wine for the first time at once (two editors, two
// batch jobs) meet on a prefix that does not exist yet: both must run.
TEST_P(WindowsFilters, TwoRunnersStartingAtOnceOnANewPrefixBothRun) {
    const TempDir home;
    const std::string prefix = home.path("wine");
    const PIPLManager& invert = entryNamed(windows(), "Invert");
    std::string outcomes[2];
    std::vector<std::thread> starts;
    for (std::string& outcome : outcomes)
        starts.emplace_back([&] {
            filterproc::FilterRunners runners(testRunnerLocations(prefix), {});
            filterproc::FilterRunnerHost first(runners);
            TestPicture picture(16, 8);
            try {
                outcome = runInRunner(first, invert, picture) ? "ran" : "cancelled";
            } catch (const std::exception& e) {
                outcome = e.what();
            }
        });
    for (std::thread& start : starts) start.join();
    EXPECT_EQ(outcomes[0], "ran");
    EXPECT_EQ(outcomes[1], "ran");
    // The prefix's server must be gone before its folder is removed.
    const std::string stop = "WINEPREFIX='" + prefix + "' /usr/lib/wine/wineserver -k >/dev/null 2>&1; WINEPREFIX='" +
                             prefix + "' /usr/lib/wine/wineserver -w >/dev/null 2>&1";
    (void)std::system(stop.c_str());
}

TEST_P(WindowsFilters, SuitesPropertiesResourcesPortsAndImageServicesAnswerAsForNativeModules) {
    // The probe writes every answer into its parameter block, which comes
    // back with the run's settings: the same bytes in every layout.
    // A runner of its own: resources a module adds are kept for the runner's
    // session, and the Windows runner answering beside it is as fresh.
    filterproc::FilterRunners nativeRunners(testRunners().locations());
    filterproc::FilterRunnerHost nativeHost(nativeRunners);
    TestPicture nativePicture(8, 6), windowsPicture(8, 6);
    ASSERT_TRUE(runInRunner(nativeHost, entryNamed(list(MUGWARP_PSHOST_TEST_MODULES), "Probe"), nativePicture));
    ASSERT_TRUE(runInRunner(host, entryNamed(testModules(), "Probe"), windowsPicture));
    const auto& expected = nativeHost.lastSettings().parameters;
    const auto& actual = host.lastSettings().parameters;
    ASSERT_TRUE(expected && actual);
    EXPECT_EQ(*actual, *expected);
}

// As in the native runner, a module stays loaded for the session: loading
// one anew costs Wine about a millisecond.
TEST_P(WindowsFilters, AModuleStaysLoadedFromRunToRun) {
    TestPicture picture(4, 3);
    for (const std::uint32_t run : {1u, 2u}) {
        ASSERT_TRUE(runInRunner(host, entryNamed(testModules(), "Count runs"), picture));
        EXPECT_EQ(picture.pixels[0] >> 16 & 0xFF, run);
    }
}

TEST_P(WindowsFilters, CancelErrorCrashExitHangAndRunawayMemoryLeaveThePictureAndTheRunnerUsable) {
    TestPicture inverted(64, 48);
    runInProcess(entryNamed(native(), "Invert"), inverted);
    const struct {
        const char* filter;
        const char* message;  // the start of it; none for a cancel
        bool escape;
    } outcomes[] = {
        {"Invert", nullptr, true},
        {"Error in start", "The plug-in does not support the current color mode.", false},
        {"Crash in continue", "The filter 'Crash in continue' stopped unexpectedly", false},
        {"Exit in start", "The filter 'Exit in start' stopped unexpectedly (exit code 3).", false},
        {"Hang in continue", "The filter 'Hang in continue' stopped responding and was ended.", true},
        {"Allocate in start", "The filter 'Allocate in start' stopped unexpectedly", false},
    };
    for (const auto& o : outcomes) {
        SCOPED_TRACE(o.filter);
        // A working run first, which also has the runner up before Escape is
        // pressed (Escape during Wine's start-up cancels the start instead).
        TestPicture picture(64, 48);
        ASSERT_TRUE(runInRunner(host, entryNamed(windows(), "Invert"), picture));
        EXPECT_EQ(picture.pixels, inverted.pixels);
        const auto before = picture.pixels;
        ScriptedClient client;
        client.pressEscape = o.escape;
        const PIPLManager& entry = o.message ? entryNamed(testModules(), o.filter) : entryNamed(windows(), o.filter);
        try {
            EXPECT_FALSE(runInRunner(host, entry, picture, &client));
            EXPECT_EQ(o.message, nullptr) << "no error";
        } catch (const PhotoshopError& e) {
            ASSERT_NE(o.message, nullptr) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(o.message, 0), 0u) << e.what();
        }
        EXPECT_EQ(picture.pixels, before);
    }
}

namespace {

// What a display test filter leaves in the picture: the context's background,
// with the shown part of the picture drawn at its place, grey or over the
// checkerboard as the filter's pixel map says.
std::vector<std::uint32_t> shownPicture(const TestPicture& p, const std::string& filter) {
    using namespace display_layout;
    std::vector<std::uint32_t> out(p.pixels.size(), 0xFF000000u | kBackground);
    const int shownWidth = p.width - kInsetLeft - kInsetRight, shownHeight = p.height - kInsetTop - kInsetBottom;
    for (int y = 0; y < shownHeight; ++y) {
        for (int x = 0; x < shownWidth; ++x) {
            const int sx = x + kInsetLeft, sy = y + kInsetTop;
            const std::uint32_t source = p.pixels[std::size_t(sy) * p.width + sx];
            int c[3] = {int(source >> 16 & 255), int(source >> 8 & 255), int(source & 255)};
            if (filter == "Show grey") c[0] = c[2] = c[1];
            if (filter == "Show masked") {
                const int alpha = maskAt(sx, sy);
                const bool dark = ((y + kPhaseRow) / 8 + (x + kPhaseCol) / 8) & 1;
                for (int& v : c) v = (alpha * v + (255 - alpha) * (dark ? 204 : 255) + 127) / 255;
            }
            out[std::size_t(y + kShownTop) * p.width + x + kShownLeft] =
                0xFF000000u | std::uint32_t(c[0]) << 16 | std::uint32_t(c[1]) << 8 | std::uint32_t(c[2]);
        }
    }
    return out;
}

}  // namespace

// Interleaved and planar maps, rows longer than the rectangle, grey, and a
// masked version-2 map: each drawn exactly into the filter's device context.
TEST_P(WindowsFilters, DisplayPixelsDrawsEveryLayoutIntoTheFiltersDeviceContext) {
    for (const char* filter : {"Show interleaved", "Show planar", "Show wide rows", "Show grey", "Show masked"}) {
        SCOPED_TRACE(filter);
        TestPicture picture(41, 29);
        const auto expected = shownPicture(picture, filter);
        EXPECT_TRUE(runInRunner(host, entryNamed(testModules(), filter), picture));
        EXPECT_EQ(picture.pixels, expected);
    }
}

TEST_P(WindowsFilters, KeepTheirSettingsAsTheirNativeBuildDoesAndReplayThemWithoutTheDialog) {
    PSPluginList& windowsProbes = testModules();
    PSPluginList& nativeProbes = list(MUGWARP_FAULT_MODULES);
    // A runner of its own: resources a module adds are kept for the runner's
    // session, and the Windows runner answering beside it is as fresh.
    filterproc::FilterRunners nativeRunners(testRunners().locations());
    filterproc::FilterRunnerHost nativeHost(nativeRunners);
    for (const char* name : {"Scripted Settings", "Block Settings"}) {
        SCOPED_TRACE(name);
        const RecordedProbe windows = recordAndReplay(host, entryNamed(windowsProbes, name), 23);
        const RecordedProbe native = recordAndReplay(nativeHost, entryNamed(nativeProbes, name), 23);
        EXPECT_EQ(windows.recorded, probeResult(TestPicture(33, 21), 23));
        EXPECT_EQ(windows.replayed, windows.recorded);
        // Every descriptor procedure stored the same bytes from both builds.
        EXPECT_EQ(windows.settings, native.settings);
    }
}

// Settings replayed in a runner that never ran the filter (a batch, a later
// session): a handle kept inside the parameter block comes back with its
// contents; a filter that opens a message box anyway is ended at once, the
// picture kept, instead of waiting for someone to close the box.
TEST_P(WindowsFilters, ReplaysInANewRunnerKeepHandlesAndEndFiltersThatAskForADialog) {
    filterproc::RunnerTimings timings;
    timings.runTimeoutMs = 20000;  // a box nobody closes must not hold the suite
    filterproc::FilterRunners fresh(testRunners().locations(), timings);
    filterproc::FilterRunnerHost replay(fresh);
    const RecordedProbe run = recordAndReplay(host, entryNamed(testModules(), "Handle Settings"), 31, &replay);
    EXPECT_EQ(run.recorded, probeResult(TestPicture(33, 21), 31));
    EXPECT_EQ(run.replayed, run.recorded);

    TestPicture picture(33, 21);
    const auto before = picture.pixels;
    replay.options.startSettings = {std::vector<std::uint8_t>{7, 0, 0, 0}, std::nullopt};
    replay.options.showDialog = false;
    try {
        runInRunner(replay, entryNamed(testModules(), "Nagging Settings"), picture);
        ADD_FAILURE() << "the message box went unnoticed";
    } catch (const filterproc::RunnerFault& e) {
        EXPECT_STREQ(e.what(), "The filter 'Nagging Settings' could not run from its saved settings (it asked for its dialog).");
    }
    EXPECT_EQ(picture.pixels, before);
    replay.options = {};
    EXPECT_TRUE(runInRunner(replay, entryNamed(windows(), "Invert"), picture));
}

// A module's own DLL lies beside it, as third-party filters ship theirs: the
// runner finds it there. Alone, the module names the DLL it misses (tried
// first: a DLL once loaded would serve any module asking for its name).
TEST_P(WindowsFilters, FindTheDllBesideThemAndNameItWhenItIsMissing) {
    const std::string folder = std::string(MUGWARP_FAULT_MODULES "/") + GetParam().folder + "/beside";
    TestPicture expected(19, 7), picture(19, 7);
    const TempDir alone;
    std::filesystem::copy_file(folder + "/beside.8bf", alone.path("beside.8bf"));
    PSPluginList lonely;
    lonely.scanDirectory(alone.dir().string(), false);
    try {
        runInRunner(host, entryNamed(lonely, "Beside"), picture);
        ADD_FAILURE() << "ran without its DLL";
    } catch (const PhotoshopError& e) {
        EXPECT_NE(std::string(e.what()).find("it needs mugwarp_beside_helper.dll, which is neither beside it nor installed"),
                  std::string::npos) << e.what();
    }
    EXPECT_EQ(picture.pixels, expected.pixels);

    for (std::uint32_t& p : expected.pixels) p ^= 0x005A5A5Au;
    ASSERT_TRUE(runInRunner(host, entryNamed(list(folder), "Beside"), picture));
    EXPECT_EQ(picture.pixels, expected.pixels);
}

// The same probe as a Windows module. Its sockets are made by the Wine server,
// which the confined runner starts inside its confinement (the prefix is
// ours alone), so the network is as closed as for a native filter.
TEST_P(WindowsFilters, ConfinedTheyReachNeitherNetworkNorHome) {
    const PIPLManager& reach = entryNamed(list(std::string(MUGWARP_FAULT_MODULES "/") + GetParam().folder + "/probes"),
                                          "Reach Out");
    const ReachOutResult confined = reachOut(reach, true);
    std::cout << "confinement under Wine: " << filterproc::describeConfinement(confined.confinement) << "\n";
    const unsigned network = filterproc::kNetworkNamespace | filterproc::kSocketFilter | filterproc::kTcpRules;
    if ((confined.confinement & (network | filterproc::kWriteLimits)) == 0)
        GTEST_SKIP() << "this kernel allows no confinement: "
                     << filterproc::describeMissingConfinement(confined.confinement);
    EXPECT_EQ(confined.connected, (confined.confinement & network) == 0);
    EXPECT_EQ(confined.wroteHome, (confined.confinement & filterproc::kWriteLimits) == 0);
}

INSTANTIATE_TEST_SUITE_P(Wine, WindowsFilters,
                         ::testing::Values(Bitness{ModuleKind::Windows64, "windows"},
                                           Bitness{ModuleKind::Windows32, "windows32"}),
                         [](const auto& info) { return std::string(info.param.folder); });
