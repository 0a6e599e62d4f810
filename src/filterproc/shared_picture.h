#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace mugwarp::filterproc {

// Where the picture and the mask sit in the file both sides map: a page of
// room first, then the picture (32-bit ARGB rows, no padding), filtered in
// place, then the mask (one byte per pixel), which a run with everything
// selected does without.
struct SharedPictureLayout {
    static constexpr std::size_t kPictureOffset = 4096;

    std::size_t width = 0;
    std::size_t height = 0;
    bool withMask = true;

    SharedPictureLayout(std::int32_t w, std::int32_t h, bool mask = true);
    std::size_t pixelBytes() const { return width * height * 4; }
    std::size_t pictureOffset() const { return kPictureOffset; }
    std::size_t maskOffset() const { return kPictureOffset + pixelBytes(); }
    std::size_t totalBytes() const { return maskOffset() + (withMask ? width * height : 0); }
};

// A file mapped shared into this process. The editor creates it; a runner
// opens the same file by its path (under Wine through the Z: drive).
class MappedFile {
public:
    virtual ~MappedFile() = default;
    virtual std::uint8_t* data() = 0;
    virtual std::size_t size() const = 0;
    virtual const std::string& path() const = 0;
};

// Opens an existing file and maps at least `size` bytes of it; throws
// std::runtime_error naming the file when that fails.
std::unique_ptr<MappedFile> openMappedFile(const std::string& path, std::size_t size);

// Views into a mapped shared picture file; mask is null without one.
struct SharedPictureViews {
    std::uint32_t* picture = nullptr;
    std::uint8_t* mask = nullptr;
};

SharedPictureViews viewsOf(MappedFile& file, const SharedPictureLayout& layout);

}  // namespace mugwarp::filterproc
