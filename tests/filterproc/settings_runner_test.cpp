#include <gtest/gtest.h>

#include "pshost/descriptor.h"
#include "pshost/photoshop_error.h"
#include "runner_test_support.h"

using namespace mugwarp;
using namespace mugwarp::test;

namespace {

PSPluginList& probes() {
    static PSPluginList list;
    if (list.count() == 0) list.scanDirectory(MUGWARP_FAULT_MODULES, false);
    return list;
}

TEST(KeptSettings, AScriptedFilterRecordedInItsDialogReplaysWithoutItFromItsDescriptorAlone) {
    filterproc::FilterRunnerHost host(testRunners());
    const PIPLManager& probe = entryNamed(probes(), "Scripted Settings");
    const RecordedProbe run = recordAndReplay(host, probe, 37);
    EXPECT_EQ(run.recorded, probeResult(TestPicture(33, 21), 37));
    EXPECT_EQ(run.replayed, run.recorded);
    ASSERT_TRUE(run.settings.descriptor && run.settings.parameters);
    const auto descriptor = parseDescriptor(*run.settings.descriptor);
    ASSERT_TRUE(descriptor);
    EXPECT_EQ(descriptor->items().size(), 14u);

    // Without the parameter block the parameters selector runs, told not
    // to show its dialog, and the filter takes everything from the descriptor.
    ScriptedClient otherUser;
    otherUser.chosenColour[0] = 99;
    TestPicture picture(33, 21);
    host.options.startSettings = {std::nullopt, run.settings.descriptor};
    host.options.showDialog = false;
    EXPECT_TRUE(runInRunner(host, probe, picture, &otherUser));
    EXPECT_EQ(picture.pixels, run.recorded);

    // A dialog opened on saved settings starts from them: a host without a
    // colour dialog leaves the amount the filter read.
    TestPicture dialog(33, 21);
    host.options.startSettings = run.settings;
    host.options.showDialog = true;
    EXPECT_TRUE(runInRunner(host, probe, dialog, nullptr));
    EXPECT_EQ(dialog.pixels, run.recorded);
}

TEST(KeptSettings, AFilterWithoutScriptingFallsBackToItsParameterBlockAndSkipsItsDialog) {
    filterproc::FilterRunnerHost host(testRunners());
    const RecordedProbe run = recordAndReplay(host, entryNamed(probes(), "Block Settings"), 41);
    EXPECT_EQ(run.recorded, probeResult(TestPicture(33, 21), 41));
    EXPECT_EQ(run.replayed, run.recorded);
    EXPECT_FALSE(run.settings.descriptor);
    ASSERT_TRUE(run.settings.parameters);
    EXPECT_EQ(run.settings.parameters->size(), 4u);
}

// A block holding a handle of the filter's own (its expression) and the
// handle suite's version replays in a runner that never saw the handle: the
// handle comes back with its contents at a new address.
TEST(KeptSettings, AParameterBlockHoldingAHandleReplaysInAnotherRunner) {
    filterproc::FilterRunnerHost host(testRunners());
    filterproc::FilterRunners otherRunners(testRunners().locations());
    filterproc::FilterRunnerHost other(otherRunners);
    const RecordedProbe run = recordAndReplay(host, entryNamed(probes(), "Handle Settings"), 29, &other);
    EXPECT_EQ(run.recorded, probeResult(TestPicture(33, 21), 29));
    EXPECT_EQ(run.replayed, run.recorded);
    ASSERT_TRUE(run.settings.parameters);
    // Damaged packing is refused, never read past its end.
    for (std::size_t cut : {std::size_t(5), std::size_t(20), run.settings.parameters->size() - 1}) {
        TestPicture picture(33, 21);
        const auto before = picture.pixels;
        other.options.startSettings = {std::vector<std::uint8_t>(run.settings.parameters->begin(),
                                                                 run.settings.parameters->begin() + std::ptrdiff_t(cut)),
                                       std::nullopt};
        other.options.showDialog = false;
        EXPECT_THROW(runInRunner(other, entryNamed(probes(), "Handle Settings"), picture), PhotoshopError) << cut;
        EXPECT_EQ(picture.pixels, before);
    }
}

TEST(KeptSettings, DamagedScriptingParametersFailTheRunWithoutHarm) {
    filterproc::FilterRunnerHost host(testRunners());
    const PIPLManager& probe = entryNamed(probes(), "Scripted Settings");
    const std::vector<std::uint8_t> damaged[] = {{}, {'M', 'W', 'D', 'S', 1, 0, 0, 0, 200, 0, 0, 0}, {0xFF, 0x00}};
    for (const auto& bytes : damaged) {
        TestPicture picture(33, 21);
        const auto before = picture.pixels;
        host.options.startSettings = {std::nullopt, bytes};
        host.options.showDialog = false;
        EXPECT_THROW(runInRunner(host, probe, picture), PhotoshopError);
        EXPECT_EQ(picture.pixels, before);
    }
    host.options.startSettings = {};
    host.options.showDialog = true;
    const RecordedProbe run = recordAndReplay(host, probe, 12);  // the runner is still there
    EXPECT_EQ(run.replayed, run.recorded);
}

}  // namespace
