#pragma once
#include <sys/types.h>

namespace mugwarp::filterproc {

// Starts a child process that borrows our memory until it calls execve or
// _exit; the calling thread waits until then. Unlike fork, this copies no page
// tables and leaves no page of ours copy-on-write, so an editor holding a large
// picture pays neither for starting a runner nor, afterwards, for every first
// write to each of its pages. childMain runs on a stack of its own with every
// signal handler of ours reset and must keep to async-signal-safe calls that
// touch no memory but its own stack and arg. Returns the child's id, or -1
// with errno set.
pid_t startChildSharingMemory(int (*childMain)(void* arg), void* arg);

}  // namespace mugwarp::filterproc
