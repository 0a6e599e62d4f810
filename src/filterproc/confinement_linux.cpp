#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>

#include "filterproc/confinement.h"
#include "filterproc/light_child_posix.h"

namespace mugwarp::filterproc {

namespace {

// Landlock's interface, spelt out here: the system headers of older
// distributions stop at its second version.
constexpr std::uint64_t kFsWriteFile = 1ull << 1;
constexpr std::uint64_t kFsWriteRightsV1 = kFsWriteFile | (1ull << 4) /* remove dir */ | (1ull << 5) /* remove file */ |
                                          (0x7Full << 6) /* make char, dir, reg, sock, fifo, block, sym */;
constexpr std::uint64_t kFsRefer = 1ull << 13;
constexpr std::uint64_t kFsTruncate = 1ull << 14;
constexpr std::uint64_t kNetBindTcp = 1ull << 0;
constexpr std::uint64_t kNetConnectTcp = 1ull << 1;
constexpr unsigned kCreateRulesetVersion = 1u << 0;
constexpr int kRulePathBeneath = 1;

struct RulesetAttributes {
    std::uint64_t handledFs;
    std::uint64_t handledNet;  // from version 4
};

struct [[gnu::packed]] PathBeneathRule {
    std::uint64_t allowed;
    std::int32_t parentFd;
};

int queryLandlockAbi() {
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return abi < 0 ? 0 : static_cast<int>(abi);
}

std::uint64_t writeRights(int abi) {
    return kFsWriteRightsV1 | (abi >= 2 ? kFsRefer : 0) | (abi >= 3 ? kFsTruncate : 0);
}

// Decimal digits of v into out (no allocation: runs in a child sharing our memory).
char* putNumber(char* out, unsigned v) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    while (n) *out++ = digits[--n];
    return out;
}

bool writeFile(const char* path, const char* text, std::size_t size) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, text, size) == static_cast<ssize_t>(size);
    ::close(fd);
    return ok;
}

// Own user and network namespaces, with our user and group mapped to
// themselves so files keep their owners. Where unprivileged namespaces are
// refused this fails; where they are half allowed (no mapping) the process is
// left in a namespace it cannot use, which is why the child that tries first
// is a throwaway one.
bool enterOwnNamespaces() {
    const unsigned uid = ::getuid(), gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) return false;
    char map[32];
    char* end = putNumber(map, uid);
    *end++ = ' ';
    end = putNumber(end, uid);
    *end++ = ' ';
    *end++ = '1';
    if (!writeFile("/proc/self/uid_map", map, std::size_t(end - map))) return false;
    if (!writeFile("/proc/self/setgroups", "deny", 4)) return false;
    end = putNumber(map, gid);
    *end++ = ' ';
    end = putNumber(end, gid);
    *end++ = ' ';
    *end++ = '1';
    return writeFile("/proc/self/gid_map", map, std::size_t(end - map));
}

bool namespacesAllowed() {
    static const bool allowed = [] {
        const pid_t child = startChildSharingMemory([](void*) -> int { ::_exit(enterOwnNamespaces() ? 0 : 1); }, nullptr);
        if (child < 0) return false;
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return allowed;
}

// Sockets: local ones only. On x86-64 the filter reads socket()'s family
// argument; 32-bit code that goes through socketcall() hides it in memory, out
// of the filter's reach, and relies on the namespace. io_uring could open
// sockets past the filter and is refused, as are x32 system calls.
constexpr unsigned kX32Bit = 0x40000000u;
constexpr unsigned kI386Socket = 359;
constexpr unsigned kIoUringSetup = 425;  // the same number on both
constexpr std::uint32_t kErrno = SECCOMP_RET_ERRNO;

#define STATEMENT(code, k) BPF_STMT(static_cast<std::uint16_t>(code), static_cast<std::uint32_t>(k))
#define JUMP(code, k, t, f) BPF_JUMP(static_cast<std::uint16_t>(code), static_cast<std::uint32_t>(k), t, f)

const sock_filter kLocalSocketsOnly[] = {
    /*  0 */ STATEMENT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
    /*  1 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 2, 0),
    /*  2 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_I386, 8, 0),
    /*  3 */ STATEMENT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    // x86-64
    /*  4 */ STATEMENT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    /*  5 */ JUMP(BPF_JMP | BPF_JGE | BPF_K, kX32Bit, 11, 0),
    /*  6 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, kIoUringSetup, 10, 0),
    /*  7 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_socket, 1, 0),
    /*  8 */ STATEMENT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    /*  9 */ STATEMENT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
    /* 10 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 5, 7),
    // i386
    /* 11 */ STATEMENT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    /* 12 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, kIoUringSetup, 4, 0),
    /* 13 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, kI386Socket, 0, 2),
    /* 14 */ STATEMENT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
    /* 15 */ JUMP(BPF_JMP | BPF_JEQ | BPF_K, AF_UNIX, 0, 2),
    /* 16 */ STATEMENT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    /* 17 */ STATEMENT(BPF_RET | BPF_K, kErrno | ENOSYS),
    /* 18 */ STATEMENT(BPF_RET | BPF_K, kErrno | EACCES),
};

#undef STATEMENT
#undef JUMP

bool installSocketFilter() {
    const sock_fprog program{static_cast<unsigned short>(sizeof kLocalSocketsOnly / sizeof kLocalSocketsOnly[0]),
                             const_cast<sock_filter*>(kLocalSocketsOnly)};
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

}  // namespace

int landlockAbi() {
    static const int abi = queryLandlockAbi();
    return abi;
}

PreparedConfinement::PreparedConfinement(const ConfinementPolicy& policy)
    : wanted_(policy.wanted | kNoNewPrivileges),
      namespaces_((wanted_ & kNetworkNamespace) && namespacesAllowed()),
      landlockAbi_(wanted_ & (kWriteLimits | kTcpRules) ? landlockAbi() : 0) {
    for (const std::string& path : policy.writablePaths) {
        const int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
        struct stat st {};
        if (fd < 0) continue;  // what is not there cannot be written to
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            continue;
        }
        const bool fixedSize = std::find(policy.fixedSizePaths.begin(), policy.fixedSizePaths.end(), path) !=
                               policy.fixedSizePaths.end();
        paths_.push_back({fd, S_ISDIR(st.st_mode), fixedSize});
    }
}

PreparedConfinement::~PreparedConfinement() {
    for (const WritablePath& p : paths_) ::close(p.fd);
}

unsigned PreparedConfinement::apply() const noexcept {
    unsigned flags = 0;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0) flags |= kNoNewPrivileges;
    if (namespaces_ && enterOwnNamespaces()) flags |= kNetworkNamespace;
    if ((wanted_ & kSocketFilter) && (flags & kNoNewPrivileges) && installSocketFilter()) flags |= kSocketFilter;
    if (landlockAbi_ > 0 && (flags & kNoNewPrivileges)) {
        const std::uint64_t rights = wanted_ & kWriteLimits ? writeRights(landlockAbi_) : 0;
        const bool tcpRules = (wanted_ & kTcpRules) && landlockAbi_ >= 4;
        const RulesetAttributes attributes{rights, tcpRules ? kNetBindTcp | kNetConnectTcp : 0};
        const std::size_t attributesSize = landlockAbi_ >= 4 ? sizeof attributes : sizeof attributes.handledFs;
        const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attributes, attributesSize, 0);
        if (ruleset >= 0) {
            bool rulesAdded = true;
            for (const WritablePath& p : paths_) {
                std::uint64_t allowed = p.folder ? rights : rights & (kFsWriteFile | kFsTruncate);
                if (p.fixedSize) allowed &= ~kFsTruncate;
                const PathBeneathRule rule{allowed, p.fd};
                if (rights && ::syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0) != 0)
                    rulesAdded = false;
            }
            if (rulesAdded && ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0)
                flags |= (rights ? unsigned(kWriteLimits) : 0u) | (tcpRules ? unsigned(kTcpRules) : 0u);
            ::close(static_cast<int>(ruleset));
        }
    }
    return flags;
}

unsigned confinementOnThisMachine() {
    static const unsigned flags = [] {
        const PreparedConfinement confinement(ConfinementPolicy{});
        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0) return 0u;
        struct Probe {
            const PreparedConfinement& confinement;
            int report;
        } probe{confinement, report[1]};
        const pid_t child = startChildSharingMemory(
            [](void* p) -> int {
                const Probe& probe = *static_cast<const Probe*>(p);
                const unsigned got = probe.confinement.apply();
                (void)::write(probe.report, &got, sizeof got);
                ::_exit(0);
            },
            &probe);
        ::close(report[1]);
        unsigned got = 0;
        if (child < 0 || ::read(report[0], &got, sizeof got) != sizeof got) got = 0;
        ::close(report[0]);
        if (child > 0)
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
            }
        return got;
    }();
    return flags;
}

}  // namespace mugwarp::filterproc
