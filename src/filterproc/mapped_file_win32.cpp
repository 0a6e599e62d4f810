#include <windows.h>

#include <stdexcept>

#include "filterproc/shared_picture.h"
#include "filterproc/wine_paths.h"

namespace mugwarp::filterproc {

namespace {

class WindowsMappedFile : public MappedFile {
public:
    WindowsMappedFile(std::string path, std::size_t size) : path_(std::move(path)), size_(size) {
        const std::string local = windowsPathOf(path_);
        file_ = CreateFileA(local.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + local);
        mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READWRITE, 0, 0, nullptr);
        if (mapping_) data_ = static_cast<std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, size));
        if (!data_) {
            release();
            throw std::runtime_error("cannot map " + local);
        }
    }
    ~WindowsMappedFile() override { release(); }
    WindowsMappedFile(const WindowsMappedFile&) = delete;
    WindowsMappedFile& operator=(const WindowsMappedFile&) = delete;

    std::uint8_t* data() override { return data_; }
    std::size_t size() const override { return size_; }
    const std::string& path() const override { return path_; }

private:
    void release() {
        if (data_) UnmapViewOfFile(data_);
        if (mapping_) CloseHandle(mapping_);
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        data_ = nullptr;
        mapping_ = nullptr;
        file_ = INVALID_HANDLE_VALUE;
    }

    std::string path_;
    std::size_t size_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    std::uint8_t* data_ = nullptr;
};

}  // namespace

std::unique_ptr<MappedFile> openMappedFile(const std::string& path, std::size_t size) {
    return std::make_unique<WindowsMappedFile>(path, size);
}

}  // namespace mugwarp::filterproc
