#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/file_io.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

std::string createError(const std::string& path, int err) {
    return "Cannot create file \"" + path + "\". " + std::strerror(err);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

std::string directoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileRemover::~FileRemover() {
    if (!path_.empty()) ::unlink(path_.c_str());
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw Error("Cannot open file \"" + path + "\". " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Error("Cannot open file \"" + path + "\". Not a regular file");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Error("Cannot read file \"" + path + "\". " + std::strerror(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

void writeFileAtomically(const std::string& requestedPath, std::span<const std::uint8_t> bytes) {
    if (requestedPath.empty()) throw Error("Cannot create file \"\". No file name");
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::string path = requestedPath;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) path = target.string();
    }
    std::string tempName = directoryOf(path) + "/." + baseNameOf(path) + ".XXXXXX";
    std::vector<char> pattern(tempName.begin(), tempName.end());
    pattern.push_back('\0');
    Descriptor fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) throw Error(createError(path, errno));
    tempName.assign(pattern.data());
    FileRemover removeTemp(tempName);

    // The new file gets the old one's permissions, or what a plain create would give.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd.get(), mode);

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error("Cannot write file \"" + path + "\". " + std::strerror(n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) throw Error("Cannot write file \"" + path + "\". " + std::strerror(errno));
    if (::close(fd.release()) != 0) throw Error("Cannot write file \"" + path + "\". " + std::strerror(errno));
    if (::rename(tempName.c_str(), path.c_str()) != 0) throw Error(createError(path, errno));
    removeTemp.keep();
}

}  // namespace mugwarp
