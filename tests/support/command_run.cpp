#include "support/command_run.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace mugwarp::test {

CommandRun runCommand(const std::string& commandLine) {
    CommandRun r;
    FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) r.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace mugwarp::test
