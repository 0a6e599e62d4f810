#include "edit/recovery_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "raster/error.h"

namespace mugwarp {
namespace fs = std::filesystem;

namespace {

constexpr const char* kCopyExtension = ".mwrecovery";

std::string systemError(const std::string& what, const fs::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// Whether the lock beside a copy is free: its editor has ended.
bool lockIsFree(const fs::path& lock) {
    const int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);  // also lets go of the lock just taken
    return free;
}

std::int64_t modifiedSeconds(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return 0;
    return static_cast<std::int64_t>(st.st_mtime);
}

}  // namespace

fs::path defaultRecoveryFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    fs::path base;
    if (state && *state == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home && *home ? home : "/tmp") / ".local" / "state";
    }
    return base / "mugwarp" / "recovery";
}

RecoverySlot::RecoverySlot(fs::path folder) : folder_(std::move(folder)) {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) throw Error("Cannot make the recovery folder " + folder_.string() + ": " + ec.message());
    ::chmod(folder_.c_str(), 0700);
    const std::string pid = std::to_string(::getpid());
    for (int n = 1; n < 1000; ++n) {
        const std::string stem = pid + "-" + std::to_string(n);
        const fs::path lock = folder_ / (stem + ".lock");
        const fs::path copy = folder_ / (stem + kCopyExtension);
        if (fs::exists(copy, ec)) continue;  // an ended editor's copy under a reused process id
        const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw Error(systemError("Cannot make the recovery lock", lock));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        const std::string text = pid + "\n";
        if (::write(fd, text.data(), text.size()) < 0) {
            // The process id is for people looking at the folder; the lock is what counts.
        }
        lockFd_ = fd;
        lock_ = lock;
        file_ = copy;
        return;
    }
    throw Error("No free name in the recovery folder " + folder_.string());
}

RecoverySlot::~RecoverySlot() {
    std::error_code ec;
    if (!fs::exists(file_, ec)) fs::remove(lock_, ec);
    ::close(lockFd_);
}

void RecoverySlot::write(std::span<const std::uint8_t> bytes) const {
    const fs::path temporary = fs::path(file_.string() + ".tmp");
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw Error(systemError("Cannot write the recovery copy", temporary));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string message = systemError("Cannot write the recovery copy", temporary);
            ::close(fd);
            ::unlink(temporary.c_str());
            throw Error(message);
        }
        done += static_cast<std::size_t>(n);
    }
    // On the disk before it takes the old copy's place, so a power cut leaves one whole copy.
    const bool synced = ::fdatasync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(temporary.c_str(), file_.c_str()) != 0) {
        const std::string message = systemError("Cannot write the recovery copy", file_);
        ::unlink(temporary.c_str());
        throw Error(message);
    }
}

void RecoverySlot::remove() const {
    std::error_code ec;
    fs::remove(file_, ec);
    fs::remove(fs::path(file_.string() + ".tmp"), ec);
}

bool RecoverySlot::exists() const {
    std::error_code ec;
    return fs::exists(file_, ec);
}

void RecoverySlot::adopt(const fs::path& copy) const {
    if (::rename(copy.c_str(), file_.c_str()) != 0) throw Error(systemError("Cannot take over the recovery copy", copy));
}

std::vector<OrphanedRecovery> findOrphanedRecoveries(const fs::path& folder) {
    std::vector<OrphanedRecovery> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return found;
    for (const fs::directory_entry& entry : it) {
        const fs::path& path = entry.path();
        const std::string name = path.filename().string();
        const std::string stem = name.substr(0, name.find('.'));
        if (path.extension() == ".lock") {
            // An ended editor that left no copy leaves its lock file alone.
            if (!fs::exists(folder / (stem + kCopyExtension), ec) && lockIsFree(path)) fs::remove(path, ec);
            continue;
        }
        const bool halfWritten = name.ends_with(std::string(kCopyExtension) + ".tmp");
        if (path.extension() != kCopyExtension && !halfWritten) continue;
        const fs::path lock = folder / (stem + ".lock");
        if (!lockIsFree(lock)) continue;
        if (halfWritten) {
            fs::remove(path, ec);
            continue;
        }
        found.push_back({path, lock, modifiedSeconds(path)});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.modified > b.modified; });
    return found;
}

void discardRecovery(const OrphanedRecovery& orphan) {
    std::error_code ec;
    fs::remove(orphan.file, ec);
    fs::remove(orphan.lock, ec);
}

fs::path setAsideDamagedRecovery(const OrphanedRecovery& orphan) {
    const fs::path aside = fs::path(orphan.file.string() + ".damaged");
    std::error_code ec;
    fs::rename(orphan.file, aside, ec);
    fs::remove(orphan.lock, ec);
    return ec ? orphan.file : aside;
}

std::vector<std::uint8_t> readRecoveryBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw Error("Cannot read the recovery copy " + file.string());
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw Error("Cannot read the recovery copy " + file.string());
    in.seekg(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in) throw Error("Cannot read the recovery copy " + file.string());
    return bytes;
}

}  // namespace mugwarp
