#pragma once
#include <sys/types.h>

#include <memory>
#include <string>

#include "filterproc/confinement.h"
#include "filterproc/fd_channel_posix.h"
#include "filterproc/runner_command.h"

namespace mugwarp::filterproc {

// A started runner: its process and the pipes to its standard input and output.
class RunnerProcess {
public:
    // Throws std::runtime_error when the process cannot be created. With a
    // confinement, it is applied in the child before the program starts.
    explicit RunnerProcess(const RunnerCommand& command, const PreparedConfinement* confinement = nullptr);
    ~RunnerProcess();  // kills the process if it still runs
    RunnerProcess(const RunnerProcess&) = delete;
    RunnerProcess& operator=(const RunnerProcess&) = delete;

    FdChannel& channel() { return *channel_; }
    pid_t pid() const { return pid_; }
    // The ConfinementFlag set that took hold in the child.
    unsigned confinement() const { return confinement_; }

    // Ends the process at once and collects it.
    void kill();
    // Collects the process once it has ended (waits up to timeoutMs) and
    // describes how it ended, e.g. "segmentation fault" or "exit code 3".
    std::string reap(int timeoutMs);
    // Asks politely (the channel is closed) and waits up to timeoutMs before killing.
    void stop(int timeoutMs);
    // Closes the channel (the runner leaves at the end of its input) without
    // waiting; stop() or reap() collects the process later.
    void closeInput() { channel_.reset(); }

private:
    pid_t pid_ = -1;
    std::unique_ptr<FdChannel> channel_;
    int status_ = 0;
    bool reaped_ = false;
    unsigned confinement_ = 0;
};

}  // namespace mugwarp::filterproc
