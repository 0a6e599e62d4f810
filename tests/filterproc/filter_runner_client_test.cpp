#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "filterproc/byte_channel.h"
#include "filterproc/filter_runner_client.h"
#include "filterproc/protocol.h"
#include "pshost/photoshop_error.h"
#include "runner_test_support.h"
#include "support/scoped_variable.h"

using namespace mugwarp::filterproc;

namespace {

// The abort test counts every question, the runner's and the client's own
// polls while the runner is busy: the answer turns "stop" after abortAfter.
struct RecordingClient : mugwarp::FilterRunClient {
    std::vector<std::pair<int, int>> progressSeen;
    int abortAfter = -1;  // answer true from this abort test on
    int abortTests = 0;
    void progress(std::int32_t done, std::int32_t total) override { progressSeen.emplace_back(done, total); }
    bool testAbort() override { return abortAfter >= 0 && ++abortTests > abortAfter; }
    void colorServices(mugwarp::ColorRequest& c) override { c.components = {10, 20, 30, 0}; }
};

RunnerCommand scriptedRunner() {
    RunnerCommand c;
    c.program = FAKE_RUNNER;
    c.description = "the test runner";
    c.memoryLimit = std::uint64_t(1) << 30;
    return c;
}

RunnerTimings quickTimings() {
    RunnerTimings t;
    t.abortGraceMs = 300;
    t.pollIntervalMs = 10;
    return t;
}

// One runner shared by the cases, as the editor keeps one for its lifetime.
FilterRunnerClient& sharedClient() {
    static FilterRunnerClient client(scriptedRunner(), quickTimings());
    return client;
}

RunOutcome runFilter(FilterRunnerClient& client, const std::string& name, mugwarp::FilterRunClient& events, int w = 4, int h = 3) {
    SharedPictureViews v = client.preparePicture(w, h);
    for (int i = 0; i < w * h; ++i) {
        v.picture[i] = 0xFF000000u | std::uint32_t(i * 0x010203);
        v.mask[i] = i % 2 ? 255 : 0;
    }
    RunRequest r;
    r.filterName = name;
    return client.run(r, events);
}

std::uint32_t firstPixel(FilterRunnerClient& client) { return client.preparePicture(4, 3).picture[0]; }

}  // namespace

TEST(FilterRunnerClient, RunsOverTheSharedPictureAndReportsProgressInOrder) {
    RecordingClient events;
    auto& client = sharedClient();
    ASSERT_EQ(runFilter(client, "Invert", events, 300, 200).status, RunStatus::Finished);
    const SharedPictureViews v = client.preparePicture(300, 200);
    EXPECT_EQ(v.picture[0], 0xFF000000u);  // mask 0: kept as it was
    EXPECT_EQ(v.picture[1], (0xFF010203u ^ 0x00FFFFFFu));
    EXPECT_EQ(events.progressSeen, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}));
}

// A slow runner is announced, made ready and then announced started, before
// the filter's own progress (or dialog) comes; only its first run does that.
TEST(FilterRunnerClient, ASlowStartIsAnnouncedPreparedAndOverBeforeTheFilterRuns) {
    struct Log : mugwarp::FilterRunClient {
        std::vector<std::string> seen;
        void runnerStarting(const std::string& m) override { seen.push_back("starting: " + m); }
        void runnerStarted() override { seen.push_back("started"); }
        void progress(std::int32_t, std::int32_t) override { seen.push_back("progress"); }
    } events;
    RunnerCommand slow = scriptedRunner();
    slow.startingMessage = "Warming up";
    slow.prepare = [&events] {
        events.seen.push_back("prepare");
        return std::string();
    };
    FilterRunnerClient client(slow, quickTimings());
    ASSERT_EQ(runFilter(client, "Invert", events).status, RunStatus::Finished);
    EXPECT_EQ(events.seen,
              (std::vector<std::string>{"starting: Warming up", "prepare", "started", "progress", "progress"}));
    events.seen.clear();
    ASSERT_EQ(runFilter(client, "Invert", events).status, RunStatus::Finished);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"progress", "progress"}));

    slow.prepare = [] { return std::string("the prefix is damaged"); };
    FilterRunnerClient broken(slow, quickTimings());
    const RunOutcome failed = runFilter(broken, "Invert", events);
    EXPECT_EQ(failed.status, RunStatus::Failed);
    EXPECT_EQ(failed.errorText,
              "The filter 'Invert' cannot run: the test runner could not be started (the prefix is damaged).");
    EXPECT_FALSE(broken.isRunning());
}

// A runner started ahead of the run serves it; one whose start has something
// to say to the user, or that cannot start, waits for the run, which says it.
TEST(FilterRunnerClient, AnEarlyStartServesTheFirstRunWhereItNeedsNoWordToTheUser) {
    RecordingClient events;
    FilterRunnerClient early(scriptedRunner(), quickTimings());
    early.startEarly();
    EXPECT_TRUE(early.isRunning());
    early.startEarly();  // one runner only
    ASSERT_EQ(runFilter(early, "Invert", events).status, RunStatus::Finished);
    EXPECT_EQ(early.preparePicture(4, 3).picture[1], 0xFF010203u ^ 0x00FFFFFFu);

    RunnerCommand slow = scriptedRunner();
    slow.startingMessage = "Warming up";
    FilterRunnerClient announced(slow, quickTimings());
    announced.startEarly();
    EXPECT_FALSE(announced.isRunning());

    RunnerCommand missing = scriptedRunner();
    missing.program = "/nonexistent/runner";
    missing.requiredFiles = {{missing.program, "the runner program"}};
    FilterRunnerClient absent(missing, quickTimings());
    absent.startEarly();
    EXPECT_FALSE(absent.isRunning());
    EXPECT_EQ(runFilter(absent, "Invert", events).errorText,
              "The filter 'Invert' cannot run here: the runner program");
}

TEST(FilterRunnerClient, AnswersAbortTestsAndColourServices) {
    auto& client = sharedClient();
    RecordingClient events;
    events.abortAfter = 5;
    EXPECT_EQ(runFilter(client, "Ask", events).status, RunStatus::Cancelled);
    EXPECT_EQ(events.abortTests, 6);

    // A filter testing in a tight loop does not wait for the editor each time.
    RecordingClient quick;
    quick.abortAfter = 1000;
    EXPECT_EQ(runFilter(client, "AskQuickly", quick).status, RunStatus::Finished);
    EXPECT_LT(quick.abortTests, 100);

    RecordingClient colour;
    ASSERT_EQ(runFilter(client, "Colour", colour).status, RunStatus::Finished);
    EXPECT_EQ(firstPixel(client), (10u << 16 | 20u << 8 | 30u));
}

TEST(FilterRunnerClient, KeepsItsRunnerBetweenRunsAndRestartsItAfterEachFault) {
    RecordingClient events;
    FilterRunnerClient client(scriptedRunner(), quickTimings());
    ASSERT_EQ(runFilter(client, "Runs", events).status, RunStatus::Finished);
    ASSERT_EQ(runFilter(client, "Runs", events).status, RunStatus::Finished);
    EXPECT_EQ(firstPixel(client), 2u);

    const struct {
        const char* filter;
        bool pressEscape;
        const char* says;
    } faults[] = {
        {"Crash", false, "The filter 'Crash' stopped unexpectedly (Segmentation fault)."},
        {"Exit", false, "The filter 'Exit' stopped unexpectedly (exit code 3)."},
        {"Garbage", false, "The filter 'Garbage' broke off its run"},
        {"Hang", true, "The filter 'Hang' stopped responding and was ended."},
        {"HangAsking", true, "The filter 'HangAsking' stopped responding and was ended."},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.filter);
        RecordingClient e;
        if (fault.pressEscape) e.abortAfter = 0;
        const RunOutcome o = runFilter(client, fault.filter, e);
        EXPECT_EQ(o.status, RunStatus::Failed);
        EXPECT_EQ(o.errorText.rfind(fault.says, 0), 0u) << o.errorText;
        EXPECT_FALSE(client.isRunning());
        ASSERT_EQ(runFilter(client, "Runs", events).status, RunStatus::Finished);
        EXPECT_EQ(firstPixel(client), 1u);  // a fresh runner
    }
}

// A runner let go is not waited for; the next run starts a fresh one, and the
// client collects the last one as it goes.
TEST(FilterRunnerClient, ARunnerLetGoIsReplacedByAFreshOneAtTheNextRun) {
    RecordingClient events;
    FilterRunnerClient client(scriptedRunner(), quickTimings());
    client.letRunnerGo();  // none running: nothing to do
    ASSERT_EQ(runFilter(client, "Runs", events).status, RunStatus::Finished);
    client.letRunnerGo();
    client.letRunnerGo();
    EXPECT_FALSE(client.isRunning());
    ASSERT_EQ(runFilter(client, "Runs", events).status, RunStatus::Finished);
    EXPECT_EQ(firstPixel(client), 1u);
    EXPECT_TRUE(client.isRunning());
    client.letRunnerGo();
}

TEST(FilterRunnerClient, RunTimeoutAndMemoryCapEndRunawayFilters) {
    RunnerTimings t = quickTimings();
    t.runTimeoutMs = 100;
    FilterRunnerClient client(scriptedRunner(), t);
    RecordingClient events;
    EXPECT_EQ(runFilter(client, "Hang", events).errorText, "The filter 'Hang' stopped responding and was ended.");

    const RunOutcome o = runFilter(client, "Allocate", events);
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_NE(o.errorText.find("out of memory"), std::string::npos) << o.errorText;
}

TEST(FilterRunnerClient, MissingRunnerIsNamed) {
    RunnerCommand c = scriptedRunner();
    c.program = "/nonexistent/runner";
    c.requiredFiles = {{c.program, "the runner /nonexistent/runner is missing."}};
    FilterRunnerClient client(c);
    RecordingClient events;
    const RunOutcome o = runFilter(client, "Invert", events);
    EXPECT_EQ(o.status, RunStatus::Failed);
    EXPECT_EQ(o.errorText, "The filter 'Invert' cannot run here: the runner /nonexistent/runner is missing.");
}

TEST(Protocol, DamagedMessagesAreRefused) {
    RunRequest r;
    r.modulePath = "/a/b.8bf";
    r.filterName = "Blur";
    r.width = 7;
    Message m = encode(r);
    EXPECT_EQ(decodeRunRequest(m).modulePath, "/a/b.8bf");
    m.payload.resize(m.payload.size() - 1);
    EXPECT_THROW(decodeRunRequest(m), ProtocolError);
    EXPECT_THROW(decodeRunOutcome(encodeProgress(1, 2)), ProtocolError);
}

// A runner that breaks the protocol is ended with a message saying how, and
// the picture is left as it was although the runner wrote to it first.
TEST(FilterRunnerHost, MalformedMessagesEndTheRunnerAndKeepThePicture) {
    mugwarp::filterproc::RunnerLocations where;
    where.nativeRunner = FAKE_RUNNER;
    FilterRunners runners(where, quickTimings());
    FilterRunnerHost host(runners);
    const auto unconfinedRunners = [&] {
        const mugwarp::test::ScopedVariable unconfined("MUGWARP_UNCONFINED_FILTERS", "1");
        auto made = std::make_unique<FilterRunners>(where, quickTimings());
        made->runnerFor(RunnerKind::Native);  // its command is made, and read, now
        return made;
    }();
    FilterRunnerHost unconfinedHost(*unconfinedRunners);
    // Where Landlock limits truncation the fences already keep a runner from
    // resizing the file (see Confinement); the size check is what stands on
    // older kernels, so those cases run unconfined.
    const struct {
        const char* filter;
        const char* says;
        bool unconfined;
    } cases[] = {
        {"Oversized", "(a message of 1048577 bytes, more than the 1048576 allowed).", false},
        {"ZeroTotal", "(a progress report of 0 out of 0).", false},
        {"NegativeTotal", "(a progress report of 1 out of -5).", false},
        {"UnknownType", "(a message of unknown type 77).", false},
        {"ShortProgress", "(message too short).", false},
        {"Shrink", "(the shared picture file was changed to 4096 bytes).", true},
        {"Grow", "(the shared picture file was changed to 16777216 bytes).", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        mugwarp::PIPLManager entry;
        entry.setName(c.filter);
        mugwarp::test::TestPicture picture(30, 20);
        const auto before = picture.pixels;
        try {
            mugwarp::test::runInRunner(c.unconfined ? unconfinedHost : host, entry, picture);
            ADD_FAILURE() << "no error";
        } catch (const mugwarp::PhotoshopError& e) {
            EXPECT_EQ(std::string(e.what()), "The filter '" + std::string(c.filter) + "' broke off its run " + c.says);
        }
        EXPECT_EQ(picture.pixels, before);
        EXPECT_FALSE((c.unconfined ? *unconfinedRunners : runners).runnerFor(RunnerKind::Native).isRunning());
    }
    mugwarp::PIPLManager invert;
    invert.setName("Invert");
    mugwarp::test::TestPicture picture(30, 20);
    EXPECT_TRUE(mugwarp::test::runInRunner(host, invert, picture));
    EXPECT_EQ(picture.pixels[1], mugwarp::test::TestPicture(30, 20).pixels[1] ^ 0x00FFFFFFu);
}
