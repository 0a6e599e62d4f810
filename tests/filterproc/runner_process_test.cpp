// Starting a runner process and collecting it, with stand-in programs: what
// reaches the child (arguments, environment, the end of its input), and how
// its end is told, including one that has to be stopped.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <vector>

#include "filterproc/runner_process_posix.h"

namespace mugwarp::filterproc {
namespace {

RunnerCommand shell(const std::string& script) {
    RunnerCommand command;
    command.program = "/bin/sh";
    command.arguments = {"-c", script};
    command.environment = {{"MUGWARP_TEST_CODE", "7"}};
    return command;
}

TEST(RunnerProcess, TellsHowTheProgramEnded) {
    struct Case {
        const char* script;
        const char* ended;
    };
    const std::vector<Case> cases = {
        {"exit $MUGWARP_TEST_CODE", "exit code 7"},  // our environment on top of the caller's
        {"read line; exit 0", "exit code 0"},        // leaves at the end of its input
        {"kill -SEGV $$", "Segmentation fault"},
        {"sleep 20", "Killed"},  // ignores the end of its input: stopped after the wait
    };
    for (const Case& c : cases) {
        RunnerProcess process(shell(c.script));
        EXPECT_GT(process.pid(), 0);
        const auto start = std::chrono::steady_clock::now();
        process.stop(300);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.script;
        EXPECT_EQ(process.reap(0), c.ended) << c.script;
    }
    RunnerProcess stuck(shell("sleep 20"));
    EXPECT_EQ(stuck.reap(100), "it did not end and was stopped");
}

TEST(RunnerProcess, AProgramThatCannotStartEndsWithCode127) {
    RunnerCommand command;
    command.program = "/nonexistent/runner";
    RunnerProcess process(command);
    EXPECT_EQ(process.reap(5000), "exit code 127");
}

}  // namespace
}  // namespace mugwarp::filterproc
