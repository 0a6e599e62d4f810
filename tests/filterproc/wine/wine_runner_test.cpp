// Our samples cross-built as Windows modules, run by the Windows runner under
// Wine. One runner serves every case: Wine's start-up is paid once.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

#include "pshost/photoshop_error.h"
#include "runner_test_support.h"

using namespace mugwarp;
using namespace mugwarp::test;

namespace {

class WindowsFilters : public ::testing::Test {
protected:
    void SetUp() override {
        const filterproc::FilterRunnerHost probe(testRunners());
        const std::string missing = probe.whyCannotRun(ModuleKind::Windows64);
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
    static PSPluginList& windows() { return list(MUGWARP_SAMPLE_FILTERS "/windows"); }
    static PSPluginList& faults() { return list(MUGWARP_WINDOWS_FAULT_MODULES); }

    filterproc::FilterRunnerHost host{testRunners()};
};

}  // namespace

TEST_F(WindowsFilters, AreDiscoveredAsWindowsModulesUnderTheNativeNames) {
    std::set<std::string> nativeNames, windowsNames;
    for (int i = 0; i < native().count(); ++i) nativeNames.insert(native().item(i).getName());
    for (int i = 0; i < windows().count(); ++i) {
        EXPECT_EQ(windows().item(i).moduleKind, ModuleKind::Windows64);
        windowsNames.insert(windows().item(i).getName());
    }
    EXPECT_EQ(windowsNames, nativeNames);
}

TEST_F(WindowsFilters, EachSampleGivesTheSamePixelsAsItsNativeBuild) {
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

TEST_F(WindowsFilters, CancelErrorAndCrashLeaveThePictureAndTheRunnerUsable) {
    TestPicture picture(64, 48);
    const auto before = picture.pixels;
    ScriptedClient escape;
    escape.pressEscape = true;
    EXPECT_FALSE(runInRunner(host, entryNamed(windows(), "Invert"), picture, &escape));
    EXPECT_EQ(picture.pixels, before);

    const struct {
        const char* filter;
        const char* message;
    } failures[] = {
        {"Error in start", "The plug-in does not support the current color mode."},
        {"Crash in continue", "The filter 'Crash in continue' stopped unexpectedly"},
        {"Exit in start", "The filter 'Exit in start' stopped unexpectedly (exit code 3)."},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.filter);
        try {
            runInRunner(host, entryNamed(faults(), f.filter), picture);
            ADD_FAILURE() << "no error";
        } catch (const PhotoshopError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(f.message, 0), 0u) << e.what();
        }
        EXPECT_EQ(picture.pixels, before);
    }
    TestPicture inverted(64, 48);
    runInProcess(entryNamed(native(), "Invert"), inverted);
    EXPECT_TRUE(runInRunner(host, entryNamed(windows(), "Invert"), picture));
    EXPECT_EQ(picture.pixels, inverted.pixels);
}
