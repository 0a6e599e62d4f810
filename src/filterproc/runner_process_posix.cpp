#include "filterproc/runner_process_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

#include "filterproc/light_child_posix.h"

extern char** environ;

namespace mugwarp::filterproc {

namespace {

// Everything the child needs is prepared before it starts: it only makes
// async-signal-safe calls.
std::vector<std::string> mergedEnvironment(const RunnerCommand& command) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool overridden = false;
        for (const auto& [name, value] : command.environment)
            if (entry.compare(0, name.size() + 1, name + "=") == 0) overridden = true;
        if (!overridden) env.push_back(entry);
    }
    for (const auto& [name, value] : command.environment) env.push_back(name + "=" + value);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

struct ChildSetup {
    int toRunner, fromRunner, report, devNull;
    const PreparedConfinement* confinement;
    bool limitMemory, capAddressSpace;
    rlimit cap;
    char** argv;
    char** envp;
};

int runnerChild(void* setupPointer) {
    const ChildSetup& c = *static_cast<const ChildSetup*>(setupPointer);
    ::setpgid(0, 0);  // Ctrl+C in our terminal is ours to handle, not the runner's
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // and a runner stuck in a module dies with us
    ::dup2(c.toRunner, 0);
    ::dup2(c.fromRunner, 1);
    if (c.devNull >= 0) ::dup2(c.devNull, 2);
    const unsigned confined = c.confinement ? c.confinement->apply() : 0;
    (void)::write(c.report, &confined, sizeof confined);
    ::close_range(3, ~0U, 0);  // none of our other files (the X connection...) leak in
    if (c.limitMemory) ::setrlimit(c.capAddressSpace ? RLIMIT_AS : RLIMIT_DATA, &c.cap);
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(c.argv[0], c.argv, c.envp);
    ::_exit(127);
}

}  // namespace

RunnerProcess::RunnerProcess(const RunnerCommand& command, const PreparedConfinement* confinement) {
    // A runner that dies must not take us down with SIGPIPE on the next write.
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) ::signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> argvStrings{command.program};
    argvStrings.insert(argvStrings.end(), command.arguments.begin(), command.arguments.end());
    std::vector<std::string> envStrings = mergedEnvironment(command);
    std::vector<char*> argv = pointers(argvStrings);
    std::vector<char*> envp = pointers(envStrings);

    int toRunner[2], fromRunner[2];
    if (::pipe2(toRunner, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
    if (::pipe2(fromRunner, O_CLOEXEC) != 0) {
        ::close(toRunner[0]);
        ::close(toRunner[1]);
        throw std::runtime_error(std::strerror(errno));
    }
    // The child tells which confinements took hold before it starts the program.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        for (int fd : {toRunner[0], toRunner[1], fromRunner[0], fromRunner[1]}) ::close(fd);
        throw std::runtime_error(std::strerror(errno));
    }
    const int devNull = command.hideOutput ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;
    const bool capAddressSpace = command.memoryCap == RunnerCommand::MemoryCap::AddressSpace;
    const rlimit cap{command.memoryLimit, command.memoryLimit};

    ChildSetup setup{toRunner[0], fromRunner[1], report[1], devNull, confinement, command.memoryLimit != 0,
                     capAddressSpace, cap, argv.data(), envp.data()};
    pid_ = startChildSharingMemory(runnerChild, &setup);
    const int forkError = errno;
    ::close(toRunner[0]);
    ::close(fromRunner[1]);
    ::close(report[1]);
    if (devNull >= 0) ::close(devNull);
    if (pid_ < 0) {
        ::close(toRunner[1]);
        ::close(fromRunner[0]);
        ::close(report[0]);
        throw std::runtime_error(std::strerror(forkError));
    }
    while (::read(report[0], &confinement_, sizeof confinement_) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    channel_ = std::make_unique<FdChannel>(fromRunner[0], toRunner[1]);
}

RunnerProcess::~RunnerProcess() { kill(); }

void RunnerProcess::kill() {
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
    }
}

std::string RunnerProcess::reap(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // A process descriptor wakes us the moment the runner ends; without one
    // (an old kernel) we look every 2 ms.
    const int ended = reaped_ ? -1 : static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    while (!reaped_) {
        const pid_t r = ::waitpid(pid_, &status_, WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            break;
        }
        if (r < 0 && errno != EINTR) break;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            kill();
            if (ended >= 0) ::close(ended);
            return "it did not end and was stopped";
        }
        if (ended >= 0) {
            pollfd wait{ended, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            ::poll(&wait, 1, static_cast<int>(left) + 1);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    if (ended >= 0) ::close(ended);
    if (WIFSIGNALED(status_)) return std::string(::strsignal(WTERMSIG(status_)));
    if (WIFEXITED(status_)) return "exit code " + std::to_string(WEXITSTATUS(status_));
    return "unknown cause";
}

void RunnerProcess::stop(int timeoutMs) {
    channel_.reset();  // end of input tells the runner to leave
    reap(timeoutMs);
}

}  // namespace mugwarp::filterproc
