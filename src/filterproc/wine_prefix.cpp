#include "filterproc/wine_prefix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "filterproc/runner_process_posix.h"

namespace mugwarp::filterproc {

namespace {

namespace fs = std::filesystem;

bool isWin64Prefix(const std::string& prefix) {
    std::ifstream registry(prefix + "/system.reg");
    std::string line;
    for (int i = 0; i < 16 && std::getline(registry, line); ++i)
        if (line.rfind("#arch=win64", 0) == 0) return true;
    return false;
}

// Ours, written once wineboot made the prefix; Wine's own registry files appear
// only when its server ends, so they are not a sign a prefix is ready.
constexpr const char* kReadyMark = "/.mugwarp-prefix-ready";
constexpr std::chrono::milliseconds kPrefixRetryPause{1500};

bool isMade(const std::string& prefix) {
    std::error_code error;
    return fs::exists(prefix + kReadyMark, error) || fs::exists(prefix + "/system.reg", error);
}

// An exclusive lock on a file beside the prefix, released when it goes.
class PrefixLock {
public:
    explicit PrefixLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~PrefixLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    PrefixLock(const PrefixLock&) = delete;
    PrefixLock& operator=(const PrefixLock&) = delete;

private:
    int fd_;
};

std::string runWineboot(const std::string& wine64, const RunnerCommand& like, const std::string& argument,
                        const std::string& failure) {
    RunnerCommand boot = like;
    boot.program = wine64;
    boot.arguments = {"wineboot", argument};
    boot.memoryLimit = 0;
    try {
        RunnerProcess process(boot);
        const std::string how = process.reap(180000);
        if (how != "exit code 0") return failure + " (" + how + ")";
    } catch (const std::exception& e) {
        return failure + " (" + e.what() + ")";
    }
    return {};
}

}  // namespace

bool needsWow64Repair(const std::string& prefix) {
    std::error_code error;
    const fs::path wow64 = fs::path(prefix) / "drive_c/windows/syswow64";
    // Wine writes its registry only when its server ends, so a prefix in use
    // may have none yet; an empty syswow64 marks a 64-bit prefix all the same.
    if (!fs::is_directory(wow64, error)) return isWin64Prefix(prefix);
    return fs::directory_iterator(wow64, error) == fs::directory_iterator();
}

std::string repairWow64Prefix(const std::string& prefix, const std::string& wine64, const RunnerCommand& like) {
    ::unlink((prefix + "/.update-timestamp").c_str());
    if (std::string failed = runWineboot(wine64, like, "-u", "updating the Wine prefix " + prefix + " failed");
        !failed.empty())
        return failed;
    if (needsWow64Repair(prefix)) return "the Wine prefix " + prefix + " still lacks its 32-bit system files";
    return {};
}

std::string readyPrefix(const std::string& prefix, const std::string& wine64, const RunnerCommand& like, bool for32Bit) {
    std::error_code error;
    fs::create_directories(prefix, error);
    const PrefixLock lock(prefix + ".lock");
    if (!isMade(prefix)) {
        const std::string failure = "making the Wine prefix " + prefix + " failed";
        std::string failed = runWineboot(wine64, like, "-i", failure);
        // Wine's first start in a new prefix has been seen to end at once
        // (exit code 53) while other Wine programs started and ended beside
        // it, and to succeed when tried again a moment later: the prefix is
        // made once, so a user should not have to try again by hand.
        if (!failed.empty() && !isMade(prefix)) {
            std::this_thread::sleep_for(kPrefixRetryPause);
            failed = runWineboot(wine64, like, "-i", failure);
        }
        if (!failed.empty()) return failed;
        std::ofstream(prefix + kReadyMark) << "made by wineboot\n";
    }
    return for32Bit && needsWow64Repair(prefix) ? repairWow64Prefix(prefix, wine64, like) : std::string();
}

}  // namespace mugwarp::filterproc
