#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "filterproc/shared_picture.h"
#include "filterproc/shared_picture_file.h"

namespace mugwarp::filterproc {

namespace {

// Keeps its descriptor, so the size it reports is that of the mapped file
// even when someone renames or replaces the path. The whole file is mapped
// at once: both sides go through every page of the picture anyway, and a
// page at a time costs the editor some twelve thousand faults a picture of
// 12 megapixels.
class PosixMappedFile : public SharedPictureFile {
public:
    PosixMappedFile(std::string path, int fd, std::size_t size, bool owned)
        : path_(std::move(path)), fd_(fd), size_(size), owned_(owned) {
        void* p = size ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0) : nullptr;
        const int error = errno;
        if (p == MAP_FAILED) {
            ::close(fd_);
            if (owned_) ::unlink(path_.c_str());
            throw std::runtime_error("cannot map " + path_ + ": " + std::strerror(error));
        }
        data_ = static_cast<std::uint8_t*>(p);
    }
    ~PosixMappedFile() override {
        if (data_) ::munmap(data_, size_);
        ::close(fd_);
        if (owned_) ::unlink(path_.c_str());
    }
    PosixMappedFile(const PosixMappedFile&) = delete;
    PosixMappedFile& operator=(const PosixMappedFile&) = delete;

    std::uint8_t* data() override { return data_; }
    std::size_t size() const override { return size_; }
    const std::string& path() const override { return path_; }
    std::uint64_t sizeOnDisk() const override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    bool readAt(std::size_t offset, void* into, std::size_t size) const override {
        auto* bytes = static_cast<std::uint8_t*>(into);
        while (size > 0) {
            const ssize_t n = ::pread(fd_, bytes, std::min<std::size_t>(size, std::size_t(1) << 30), static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    std::string path_;
    int fd_;
    std::uint8_t* data_ = nullptr;
    std::size_t size_;
    bool owned_;
};

// 0 or the error that stopped the write.
int writeAll(int fd, const std::uint8_t* bytes, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, bytes, std::min<std::size_t>(size, std::size_t(1) << 30), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : ENOSPC;
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return 0;
}

int reserve(int fd, std::size_t from, std::size_t to) {
    return to > from ? ::posix_fallocate(fd, static_cast<off_t>(from), static_cast<off_t>(to - from)) : 0;
}

}  // namespace

std::unique_ptr<MappedFile> openMappedFile(const std::string& path, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) < size) {
        ::close(fd);
        throw std::runtime_error("shared picture file " + path + " is shorter than expected");
    }
    return std::make_unique<PosixMappedFile>(path, fd, size, false);
}

std::unique_ptr<SharedPictureFile> createSharedPictureFile(const std::string& directory, std::size_t size,
                                                           const FileContent& content) {
    if (content.offset + content.size > size) throw std::logic_error("shared picture content past the file's end");
    std::string pattern = directory + "/mugwarp-picture-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot create a shared picture file in " + directory + ": " + std::strerror(errno));
    // Every page is had now, so a full memory file system (a container's
    // small /dev/shm) is an error here rather than SIGBUS on the first
    // write. The content is written rather than copied into the mapping: the
    // pages then get their bytes as they are handed out, where reserving
    // them zeroes each and the copy faults each in again, a third more time
    // for a picture of 12 megapixels.
    int error = writeAll(fd, static_cast<const std::uint8_t*>(content.bytes), content.size,
                         static_cast<off_t>(content.offset));
    if (error == 0) error = reserve(fd, 0, content.offset);
    if (error == 0) error = reserve(fd, content.offset + content.size, size);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) error = errno;
    if (error != 0) {
        ::close(fd);
        ::unlink(pattern.c_str());
        throw std::runtime_error("cannot size the shared picture file: " + std::string(std::strerror(error)));
    }
    return std::make_unique<PosixMappedFile>(pattern, fd, size, true);
}

std::vector<std::string> sharedPictureDirectories() {
    // Memory-backed first: the file is only a name both sides map.
    std::vector<std::string> dirs;
    if (::access("/dev/shm", W_OK | X_OK) == 0) dirs.emplace_back("/dev/shm");
    const char* tmp = std::getenv("TMPDIR");
    dirs.emplace_back(tmp && *tmp ? tmp : "/tmp");
    return dirs;
}

}  // namespace mugwarp::filterproc
