// Starting a runner process and collecting it, with stand-in programs: what
// reaches the child, and how its end is told, including one that has to be
// stopped and one that cannot start.
#include <gtest/gtest.h>

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
    RunnerProcess exits(shell("read line; exit $MUGWARP_TEST_CODE"));  // our environment on top of the caller's
    exits.stop(5000);  // the end of its input lets it go on
    EXPECT_EQ(exits.reap(0), "exit code 7");
    RunnerProcess stuck(shell("sleep 20"));
    EXPECT_EQ(stuck.reap(100), "it did not end and was stopped");
    RunnerCommand missing;
    missing.program = "/nonexistent/runner";
    EXPECT_EQ(RunnerProcess(missing).reap(5000), "exit code 127");
}

}  // namespace
}  // namespace mugwarp::filterproc
