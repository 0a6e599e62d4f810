#include <utility>

#include "filterproc/confinement.h"

namespace mugwarp::filterproc {

namespace {

struct Named {
    unsigned flag;
    const char* active;
    const char* missing;  // why a kernel may not offer it
};

const Named kNames[] = {
    {kNoNewPrivileges, "no new privileges", "no new privileges (the kernel refused PR_SET_NO_NEW_PRIVS)"},
    {kNetworkNamespace, "own network namespace",
     "own network namespace (the kernel does not allow unprivileged user namespaces)"},
    {kSocketFilter, "only local sockets (seccomp)", "socket filter (the kernel has no seccomp filters)"},
    {kWriteLimits, "writes limited (Landlock)", "write limits (the kernel does not offer Landlock)"},
    {kTcpRules, "TCP refused (Landlock)", "TCP rules (Landlock before version 4 has none)"},
};

std::string joined(unsigned flags, bool active) {
    std::string text;
    for (const Named& n : kNames) {
        if (((flags & n.flag) != 0) != active) continue;
        if (!text.empty()) text += ", ";
        text += active ? n.active : n.missing;
    }
    return text;
}

}  // namespace

std::string describeConfinement(unsigned flags) {
    const std::string text = joined(flags, true);
    return text.empty() ? "none" : text;
}

std::string describeMissingConfinement(unsigned flags) { return joined(flags, false); }

}  // namespace mugwarp::filterproc
