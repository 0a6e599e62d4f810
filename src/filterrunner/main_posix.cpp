#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "filterproc/fd_channel_posix.h"
#include "filterproc/runner_session.h"
#include "filterrunner/host_executor.h"

// mugwarp-filter-runner: runs native filter modules for the editor, speaking
// the runner protocol on its standard input and output.
int main() {
    using namespace mugwarp;
    // The protocol keeps the original output; whatever a module prints goes
    // to standard error instead, so it cannot corrupt the stream.
    const int in = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    const int out = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
    if (in < 0 || out < 0) return 3;
    ::dup2(2, 1);
    const int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) {
        ::dup2(devNull, 0);
        ::close(devNull);
    }
    try {
        filterproc::FdChannel channel(in, out);
        auto executor = filterrunner::makeHostExecutor();
        filterproc::RunnerSession session(channel, *executor, filterproc::openMappedFile);
        session.serve("native");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mugwarp-filter-runner: %s\n", e.what());
        return 1;
    }
    return 0;
}
