#pragma once
#include <string>

namespace mugwarp::test {

struct CommandRun {
    int status = -1;  // the exit code; -1 when the command did not exit normally
    std::string out;  // standard output and standard error together
};

// Runs a shell command line (quoted by the caller) and collects its output.
CommandRun runCommand(const std::string& commandLine);

#ifdef MUGWARP_CLI
// mugwarp-cli with the arguments (quoted by the caller), in the tests that know where it is.
inline CommandRun cli(const std::string& args) { return runCommand(std::string(MUGWARP_CLI) + " " + args); }
#endif

}  // namespace mugwarp::test
