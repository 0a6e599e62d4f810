// The platform's side of showing a filter's pixels: which memory may be read,
// and drawing into a device context, which only Windows has.
#include "pshost/pixel_map_image.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace mugwarp {

#ifdef _WIN32

bool readableMemory(const std::uint8_t* begin, std::size_t length) {
    const auto* p = begin;
    const auto* end = begin + length;
    while (p < end) {
        MEMORY_BASIC_INFORMATION region{};
        if (!VirtualQuery(p, &region, sizeof(region)) || region.State != MEM_COMMIT) return false;
        const DWORD protection = region.Protect & 0xFF;
        if ((region.Protect & PAGE_GUARD) || protection == PAGE_NOACCESS || protection == PAGE_EXECUTE) return false;
        p = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
    }
    return true;
}

void drawOnDeviceContext(const PixelMapImage& image, void* context) {
    if (!context || image.pixels.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;  // 0xFFRRGGBB words are blue, green, red, pad bytes
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(static_cast<HDC>(context), image.left, image.top, DWORD(image.width), DWORD(image.height), 0, 0,
                      0, UINT(image.height), image.pixels.data(), &info, DIB_RGB_COLORS);
}

#else

// mincore fails with ENOMEM for any page of the range that is not mapped.
bool readableMemory(const std::uint8_t* begin, std::size_t length) {
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(begin) & ~(page - 1);
    const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(begin) + length;
    unsigned char residency[256];
    for (std::uintptr_t at = first; at < last; at += page * sizeof(residency)) {
        const std::size_t bytes = std::min<std::uintptr_t>(last - at, page * sizeof(residency));
        if (::mincore(reinterpret_cast<void*>(at), bytes, residency) != 0) return false;
    }
    return true;
}

void drawOnDeviceContext(const PixelMapImage&, void*) {}

#endif

}  // namespace mugwarp
