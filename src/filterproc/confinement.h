#pragma once
#include <string>
#include <vector>

namespace mugwarp::filterproc {

// The fences put round a runner before it starts; each holds only where the
// kernel offers it, and the rest of the set still applies where one is missing.
enum ConfinementFlag : unsigned {
    kNoNewPrivileges = 1u << 0,   // set-user-ID programs gain nothing
    kNetworkNamespace = 1u << 1,  // own user and network namespaces: no interface, not even loopback
    kSocketFilter = 1u << 2,      // seccomp: sockets other than local (unix) ones are refused
    kWriteLimits = 1u << 3,       // Landlock: writes only below the allowed paths; reads stay open
    kTcpRules = 1u << 4,          // Landlock: TCP connections and listening refused
};

// Paths (files or folders) the runner may write to; everything else it may
// only read.
struct ConfinementPolicy {
    std::vector<std::string> writablePaths;
    // Of those, the ones whose files may be written but never shortened or
    // lengthened: the shared picture's folder, whose file is the editor's own
    // display while it is mapped, and a shortened mapping would end the editor.
    std::vector<std::string> fixedSizePaths;
    unsigned wanted = ~0u;  // which ConfinementFlags to try; no new privileges always
};

// A policy made ready for a child process: everything that allocates or may
// fail happens here, before fork; apply() uses nothing but system calls, as a
// child of a threaded program must.
class PreparedConfinement {
public:
    explicit PreparedConfinement(const ConfinementPolicy& policy);
    ~PreparedConfinement();
    PreparedConfinement(const PreparedConfinement&) = delete;
    PreparedConfinement& operator=(const PreparedConfinement&) = delete;

    // In the child, before exec: confines the calling process and returns the
    // flags that took hold.
    unsigned apply() const noexcept;

private:
    struct WritablePath {
        int fd;       // O_PATH, closed on exec
        bool folder;     // folders get every write right, files only writing and truncating
        bool fixedSize;  // no truncating, whatever else is granted
    };
    std::vector<WritablePath> paths_;
    unsigned wanted_;
    bool namespaces_;
    int landlockAbi_;
};

// What a runner started now gets, found once by confining a short-lived
// child; and the Landlock version the kernel offers (0: none).
unsigned confinementOnThisMachine();
int landlockAbi();

// "no new privileges, own network namespace, ..." for the flags, or "none".
std::string describeConfinement(unsigned flags);
// What is missing of the full set, and why it may be so, or empty.
std::string describeMissingConfinement(unsigned flags);

}  // namespace mugwarp::filterproc
