#include "pshost/large_allocation.h"

#include "raster/huge_pages.h"

#ifdef __linux__
#include <sys/mman.h>
#elif defined(_WIN32) && (defined(__x86_64__) || defined(__i386__))
#include <windows.h>
#define MUGWARP_WINE_HUGE_PAGES 1
#endif

#include <cstdint>
#include <string_view>

namespace mugwarp {

#ifdef MUGWARP_WINE_HUGE_PAGES

namespace {

// The Windows runner lives under Wine on Linux, where the process is a Linux
// process whose memory Windows calls cannot mark for huge pages (and where
// the kernel gives them only on request). Asked directly of the kernel; on
// Windows itself, or Wine on another system, nothing is asked.
bool underWineOnLinux() {
    static const bool linuxHost = [] {
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        using HostVersion = void(CDECL*)(const char** sysname, const char** release);
        const auto hostVersion =
            ntdll ? reinterpret_cast<HostVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_host_version")))
                  : nullptr;
        if (!hostVersion) return false;
        const char* sysname = nullptr;
        const char* release = nullptr;
        hostVersion(&sysname, &release);
        return sysname && std::string_view(sysname) == "Linux";
    }();
    return linuxHost;
}

void adviseHugePages(void* p, std::size_t bytes) {
    constexpr long kMadvHugePage = 14;
    long result;
#if defined(__x86_64__)
    constexpr long kMadvise = 28;
    asm volatile("syscall" : "=a"(result) : "a"(kMadvise), "D"(p), "S"(bytes), "d"(kMadvHugePage) : "rcx", "r11", "memory");
#else
    constexpr long kMadvise = 219;
    asm volatile("int $0x80" : "=a"(result) : "a"(kMadvise), "b"(p), "c"(bytes), "d"(kMadvHugePage) : "memory");
#endif
    (void)result;  // only advice: a refusal leaves small pages
}

}  // namespace

#endif

void* allocateLarge(std::size_t bytes) {
#ifdef __linux__
    if (bytes >= kHugePagesFrom) {
        const std::size_t rounded = roundedUpToHugePages(bytes);
        void* p = std::aligned_alloc(kHugePageBytes, rounded);
        // Only advice: where huge pages are off, the block keeps small ones.
        if (p) madvise(p, rounded, MADV_HUGEPAGE);
        return p;
    }
#elif defined(MUGWARP_WINE_HUGE_PAGES)
    if (bytes >= kHugePagesFrom) {
        void* p = std::malloc(bytes);
        // The whole huge pages inside the block, before its first touch.
        const auto begin = roundedUpToHugePages(reinterpret_cast<std::uintptr_t>(p));
        const auto end = (reinterpret_cast<std::uintptr_t>(p) + bytes) / kHugePageBytes * kHugePageBytes;
        if (p && end > begin && underWineOnLinux()) adviseHugePages(reinterpret_cast<void*>(begin), end - begin);
        return p;
    }
#endif
    return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace mugwarp
