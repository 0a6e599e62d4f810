#include "filterproc/light_child_posix.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstddef>

namespace mugwarp::filterproc {

namespace {

// Room for the confinement steps and execve's arguments on the way in; only
// the pages used are ever touched.
constexpr std::size_t kChildStackBytes = 256 * 1024;

struct Launch {
    int (*childMain)(void*);
    void* arg;
    const sigset_t* mask;  // ours before every signal was blocked
};

int childEntry(void* launchPointer) {
    const Launch& launch = *static_cast<const Launch*>(launchPointer);
    // A handler of ours would run on memory we share: the child takes the
    // default action instead (ignored signals stay ignored, as across exec).
    for (int s = 1; s < NSIG; ++s) {
        struct sigaction action {};
        if (::sigaction(s, nullptr, &action) != 0 || action.sa_handler == SIG_IGN || action.sa_handler == SIG_DFL)
            continue;
        action = {};
        action.sa_handler = SIG_DFL;
        ::sigaction(s, &action, nullptr);
    }
    ::pthread_sigmask(SIG_SETMASK, launch.mask, nullptr);
    return launch.childMain(launch.arg);
}

}  // namespace

pid_t startChildSharingMemory(int (*childMain)(void* arg), void* arg) {
    void* stack = ::mmap(nullptr, kChildStackBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK,
                         -1, 0);
    if (stack == MAP_FAILED) return -1;
    // No signal may reach the child before its handlers are reset.
    sigset_t all, previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    Launch launch{childMain, arg, &previous};
    // CLONE_VFORK: we go on once the child has called execve or ended, so its
    // stack and launch are ours again then.
    const pid_t pid = ::clone(childEntry, static_cast<char*>(stack) + kChildStackBytes, CLONE_VM | CLONE_VFORK | SIGCHLD,
                              &launch);
    const int error = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::munmap(stack, kChildStackBytes);
    errno = error;
    return pid;
}

}  // namespace mugwarp::filterproc
