#include <gtest/gtest.h>

#include "pshost/photoshop_error.h"
#include "runner_test_support.h"

using namespace mugwarp;
using namespace mugwarp::test;

namespace {

PSPluginList& scanned(const std::string& dir) {
    static std::map<std::string, std::unique_ptr<PSPluginList>> lists;
    auto& list = lists[dir];
    if (!list) {
        list = std::make_unique<PSPluginList>();
        list->scanDirectory(dir, false);
    }
    return *list;
}

PSPluginList& samples() { return scanned(MUGWARP_SAMPLE_FILTERS); }
PSPluginList& faults() { return scanned(MUGWARP_FAULT_MODULES); }  // and the display test filters

}  // namespace

// Native modules have no device context: display pixels answers 0 (which the
// filters check) and nothing is drawn. The Windows runners draw (wine tests).
TEST(NativeRunner, DisplayPixelsAnswersWithoutDrawing) {
    filterproc::FilterRunnerHost host(testRunners());
    for (const char* filter : {"Show interleaved", "Show planar", "Show wide rows", "Show grey", "Show masked"}) {
        SCOPED_TRACE(filter);
        TestPicture picture(41, 29);
        const auto before = picture.pixels;
        EXPECT_TRUE(runInRunner(host, entryNamed(faults(), filter), picture));
        EXPECT_EQ(picture.pixels, before);
    }
}

namespace {

}  // namespace

TEST(NativeRunner, EverySampleGivesTheSamePixelsAndEventsAsTheInProcessHost) {
    filterproc::FilterRunnerHost host(testRunners());
    ASSERT_GE(samples().count(), 8);
    for (int i = 0; i < samples().count(); ++i) {
        PIPLManager& entry = samples().item(i);
        SCOPED_TRACE(entry.getName());
        ScriptedClient inProcess, inRunner;
        inProcess.chosenColour[0] = inRunner.chosenColour[0] = 200;
        inProcess.chosenColour[2] = inRunner.chosenColour[2] = 17;
        TestPicture expected(61, 47), actual(61, 47);
        EXPECT_TRUE(runInProcess(entry, expected, &inProcess));
        EXPECT_TRUE(runInRunner(host, entry, actual, &inRunner));
        EXPECT_EQ(expected.pixels, actual.pixels);
        EXPECT_EQ(inProcess.progressSeen, inRunner.progressSeen);
        EXPECT_EQ(inProcess.colourAsked, inRunner.colourAsked);
    }
}

// A module stays loaded for the runner's session: what it keeps in its own
// memory lasts from run to run, while each run still opens and releases it.
TEST(NativeRunner, AModuleStaysLoadedFromRunToRun) {
    filterproc::FilterRunnerHost host(testRunners());
    TestPicture picture(4, 3);
    for (const std::uint32_t run : {1u, 2u, 3u}) {
        ASSERT_TRUE(runInRunner(host, entryNamed(faults(), "Count runs"), picture));
        EXPECT_EQ(picture.pixels[0] >> 16 & 0xFF, run);
    }
}

TEST(NativeRunner, EscapeRestoresThePictureAndARepeatSkipsTheParametersSelector) {
    filterproc::FilterRunnerHost host(testRunners());
    ScriptedClient escape;
    escape.pressEscape = true;
    TestPicture picture(300, 200);
    const auto before = picture.pixels;
    EXPECT_FALSE(runInRunner(host, entryNamed(samples(), "Invert"), picture, &escape));
    EXPECT_EQ(picture.pixels, before);
    // Crashing in the parameters selector is harmless when it is not called.
    EXPECT_TRUE(runInRunner(host, entryNamed(faults(), "Crash in parameters"), picture, nullptr, true));
}

TEST(NativeRunner, AMisbehavingFilterEndsInAnErrorNamingItAndTheNextRunWorks) {
    filterproc::FilterRunnerHost host(testRunners());
    PIPLManager& invert = entryNamed(samples(), "Invert");
    TestPicture inverted(40, 30);
    runInProcess(invert, inverted);
    for (const char* fault : {"Crash", "Exit", "Hang", "Allocate"}) {
        for (const char* selector : {"parameters", "start", "continue"}) {
            const std::string name = std::string(fault) + " in " + selector;
            SCOPED_TRACE(name);
            ScriptedClient client;
            client.pressEscape = std::string(fault) == "Hang";
            TestPicture picture(40, 30);
            const auto before = picture.pixels;
            try {
                runInRunner(host, entryNamed(faults(), name), picture, &client);
                ADD_FAILURE() << "no error";
            } catch (const PhotoshopError& e) {
                EXPECT_NE(std::string(e.what()).find("The filter '" + name + "' stopped "), std::string::npos)
                    << e.what();
            }
            EXPECT_EQ(picture.pixels, before);
            EXPECT_TRUE(runInRunner(host, invert, picture));
            EXPECT_EQ(picture.pixels, inverted.pixels);
        }
    }
    TestPicture picture(40, 30);
    EXPECT_THROW(
        try { runInRunner(host, entryNamed(faults(), "Error in start"), picture); } catch (const PhotoshopError& e) {
            EXPECT_STREQ(e.what(), "The plug-in does not support the current color mode.");
            throw;
        },
        PhotoshopError);
}
