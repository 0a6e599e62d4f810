#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "filterproc/confinement.h"
#include "runner_test_support.h"
#include "support/temp_dir.h"

using namespace mugwarp;
using namespace mugwarp::test;

// A native filter tries a TCP connection to 127.0.0.1 and a file in $HOME.
// Unconfined both work (the probe is real); confined, the network fails where
// a namespace, the socket filter or Landlock's TCP rules hold, the file where
// Landlock's write limits hold, and the filter finishes all the same.
TEST(Confinement, NativeFilterReachesNeitherNetworkNorHome) {
    PSPluginList probes;
    probes.scanDirectory(MUGWARP_PROBE_MODULES, false);
    const PIPLManager& reach = entryNamed(probes, "Reach Out");

    const ReachOutResult free = reachOut(reach, false);
    EXPECT_TRUE(free.connected);
    EXPECT_TRUE(free.wroteHome);
    EXPECT_EQ(free.confinement, 0u);

    const ReachOutResult confined = reachOut(reach, true);
    const unsigned network = filterproc::kNetworkNamespace | filterproc::kSocketFilter | filterproc::kTcpRules;
    std::cout << "confinement here: " << filterproc::describeConfinement(confined.confinement) << "\n";
    RecordProperty("confinement", filterproc::describeConfinement(confined.confinement));
    EXPECT_EQ(confined.confinement, filterproc::confinementOnThisMachine());
    if ((confined.confinement & (network | filterproc::kWriteLimits)) == 0)
        GTEST_SKIP() << "this kernel allows no confinement: "
                     << filterproc::describeMissingConfinement(confined.confinement);
    EXPECT_EQ(confined.connected, (confined.confinement & network) == 0);
    EXPECT_EQ(confined.wroteHome, (confined.confinement & filterproc::kWriteLimits) == 0);
}

namespace {

// What a child confined by one flag alone may still do; bits of its exit code.
enum Reach { kTcp = 1, kUnixPair = 2, kWriteOutside = 4, kWriteInside = 8 };

int reachUnder(unsigned flag, int port, const std::string& inside, const std::string& outside) {
    filterproc::ConfinementPolicy policy;
    policy.wanted = flag;
    policy.writablePaths = {inside};
    const filterproc::PreparedConfinement confinement(policy);
    const pid_t child = ::fork();
    if (child == 0) {
        if (!(confinement.apply() & flag)) ::_exit(64);
        int reach = 0;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) reach |= kTcp;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) == 0) reach |= kUnixPair;
        if (::open((outside + "/f").c_str(), O_WRONLY | O_CREAT, 0600) >= 0) reach |= kWriteOutside;
        if (::open((inside + "/f").c_str(), O_WRONLY | O_CREAT, 0600) >= 0) reach |= kWriteInside;
        ::_exit(reach);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// Each fence on its own, so a machine where only one of them holds (no user
// namespaces, an old kernel) is still covered: local sockets stay usable (the
// X connection of a filter's dialog needs them), writes go only where allowed.
TEST(Confinement, EachFenceHoldsOnItsOwn) {
    const test::LoopbackListener listener;
    test::TempDir inside, outside;

    const struct {
        unsigned flag;
        int reach;
    } fences[] = {
        {filterproc::kNetworkNamespace, kUnixPair | kWriteOutside | kWriteInside},
        {filterproc::kSocketFilter, kUnixPair | kWriteOutside | kWriteInside},
        {filterproc::kTcpRules, kUnixPair | kWriteOutside | kWriteInside},
        {filterproc::kWriteLimits, kTcp | kUnixPair | kWriteInside},
    };
    const unsigned here = filterproc::confinementOnThisMachine();
    for (const auto& fence : fences) {
        SCOPED_TRACE(filterproc::describeConfinement(fence.flag));
        if (!(here & fence.flag)) {
            std::cout << "not offered here: " << filterproc::describeMissingConfinement(~fence.flag) << "\n";
            continue;
        }
        std::filesystem::remove(inside.dir() / "f");
        std::filesystem::remove(outside.dir() / "f");
        EXPECT_EQ(reachUnder(fence.flag, listener.port(), inside.dir().string(), outside.dir().string()), fence.reach);
    }
}

// The shared picture's folder: the runner writes into the file that holds the
// editor's display, but may not shorten it, nor make a new one by truncation.
TEST(Confinement, FixedSizeFolderCanBeWrittenButNotResized) {
    if (!(filterproc::confinementOnThisMachine() & filterproc::kWriteLimits) || filterproc::landlockAbi() < 3)
        GTEST_SKIP() << "Landlock does not limit truncation on this kernel";
    test::TempDir folder;
    const std::string file = (folder.dir() / "picture").string();
    {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 8192), 0);
        ::close(fd);
    }
    filterproc::ConfinementPolicy policy;
    policy.wanted = filterproc::kWriteLimits;
    policy.writablePaths = {folder.dir().string()};
    policy.fixedSizePaths = {folder.dir().string()};
    const filterproc::PreparedConfinement confinement(policy);
    enum { kWrote = 1, kShortened = 2, kGrown = 4, kOpenedTruncating = 8, kMadeOther = 16 };
    const pid_t child = ::fork();
    if (child == 0) {
        if (!(confinement.apply() & filterproc::kWriteLimits)) ::_exit(64);
        int did = 0;
        const int fd = ::open(file.c_str(), O_RDWR);
        if (fd >= 0 && ::pwrite(fd, "x", 1, 100) == 1) did |= kWrote;
        if (fd >= 0 && ::ftruncate(fd, 0) == 0) did |= kShortened;
        if (fd >= 0 && ::ftruncate(fd, 16384) == 0) did |= kGrown;
        if (::open(file.c_str(), O_RDWR | O_TRUNC) >= 0) did |= kOpenedTruncating;
        if (::open((folder.dir() / "other").c_str(), O_WRONLY | O_CREAT, 0600) >= 0) did |= kMadeOther;
        ::_exit(did);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kWrote | kMadeOther);
    EXPECT_EQ(std::filesystem::file_size(file), 8192u);
}
