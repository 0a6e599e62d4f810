#include "pshost/acquired_suites.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "pshost/host_callbacks.h"
#include "pshost/host_memory.h"
#include "pshost/ps_filter_host.h"
#include "pshost/suite_abi.h"

namespace mugwarp {

namespace {

using namespace abi;

HostMemory& memory() { return HostMemory::instance(); }

// --- Buffer suite: plain zero-filled blocks known by their address -----------
std::unordered_map<char*, std::uint64_t>& buffers() {
    static std::unordered_map<char*, std::uint64_t> table;  // process-wide, as the blocks are
    return table;
}

// A block no larger than the filter's record allows; with less memory, the
// largest of at least minSize that can be had (halving down to it).
Ptr newBuffer64(std::uint64_t* inOutSize, std::uint64_t minSize) {
    if (!inOutSize) return nullptr;
    const std::uint64_t limit = std::min<std::uint64_t>(totalPhysicalMemory(), std::uint64_t(SIZE_MAX) / 2);
    std::uint64_t size = std::min(*inOutSize, limit);
    if (size == 0 || minSize > size) return nullptr;
    for (;;) {
        char* block = static_cast<char*>(std::calloc(std::size_t(size), 1));
        if (block) {
            try {
                buffers()[block] = size;
            } catch (...) {
                std::free(block);
                return nullptr;
            }
            *inOutSize = size;
            return block;
        }
        if (size == minSize) return nullptr;
        size = std::max(minSize, size / 2);
    }
}
Ptr newBuffer(std::uint32_t* inOutSize, std::uint32_t minSize) {
    if (!inOutSize) return nullptr;
    std::uint64_t size = *inOutSize;
    Ptr block = newBuffer64(&size, minSize);
    if (block) *inOutSize = std::uint32_t(size);
    return block;
}
void disposeBuffer(Ptr* buffer) {
    if (!buffer || !*buffer) return;
    if (buffers().erase(*buffer)) std::free(*buffer);
    *buffer = nullptr;
}
std::uint64_t bufferSize64(Ptr buffer) {
    const auto found = buffers().find(buffer);
    return found == buffers().end() ? 0 : found->second;
}
std::uint32_t bufferSize(Ptr buffer) { return std::uint32_t(std::min<std::uint64_t>(bufferSize64(buffer), UINT32_MAX)); }
std::uint64_t bufferSpace64() { return totalPhysicalMemory(); }
std::uint32_t bufferSpace() { return std::uint32_t(std::min<std::uint64_t>(totalPhysicalMemory(), UINT32_MAX)); }

// --- Handle suite: the record's handles, with a lock that reports -----------
void setLock(Handle h, Boolean lock, Ptr* address, Boolean* oldLock) {
    if (oldLock) *oldLock = memory().lockCount(h) > 0;
    if (!memory().isHandle(h)) {
        if (address) *address = nullptr;
        return;
    }
    if (lock) {
        Ptr data = memory().lock(h);
        if (address) *address = data;
    } else {
        memory().unlock(h);
        if (address) *address = nullptr;
    }
}

// --- UI hooks ----------------------------------------------------------------
std::intptr_t mainAppWindow() {
    const PSFilterHost* host = boundFilterHost();
    return host ? host->platformWindow() : 0;
}
SPErr setCursor(const char*) { return 0; }
std::uintptr_t tickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::uintptr_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() * 60 / 1000);
}
SPErr pluginName(void*, void**) { return kSPUnimplementedError; }
SPErr setPluginMenuEntry(void*, void*, void*) { return kSPUnimplementedError; }

struct Served {
    std::string_view name;
    std::int32_t version;
    const void* suite;
};

}  // namespace

const void* findSuite(const char* name, std::int32_t version) {
    const HostCallbacks& cb = hostCallbacks();
    static const BufferSuite2 bufferSuite{newBuffer,   disposeBuffer, bufferSize,   bufferSpace,
                                          newBuffer64, bufferSize64,  bufferSpace64};
    static const HandleSuite1 handleSuite1{cb.handleProcs->newProc,     cb.handleProcs->disposeProc, setLock,
                                           cb.handleProcs->getSizeProc, cb.handleProcs->setSizeProc,
                                           cb.handleProcs->recoverSpaceProc};
    static const HandleSuite2 handleSuite2{cb.handleProcs->newProc,     cb.handleProcs->disposeProc,
                                           cb.handleProcs->disposeProc, setLock,
                                           cb.handleProcs->getSizeProc, cb.handleProcs->setSizeProc,
                                           cb.handleProcs->recoverSpaceProc};
    static const UIHooksSuite2 uiHooks{cb.processEvent,
                                       cb.displayPixels,
                                       cb.progress,
                                       cb.abort,
                                       mainAppWindow,
                                       setCursor,
                                       tickCount,
                                       pluginName,
                                       setPluginMenuEntry};
    static const Served served[] = {
        {"SP Basic Suite", 4, cb.basicSuite},
        {"Photoshop Buffer Suite for Plug-ins", 1, &bufferSuite},
        {"Photoshop Buffer Suite for Plug-ins", 2, &bufferSuite},
        {"Photoshop Handle Suite for Plug-ins", 1, &handleSuite1},
        {"Photoshop Handle Suite for Plug-ins", 2, &handleSuite2},
        {"Photoshop UIHooks Suite for Plug-ins", 1, &uiHooks},
        {"Photoshop UIHooks Suite for Plug-ins", 2, &uiHooks},
    };
    if (!name) return nullptr;
    for (const Served& s : served)
        if (s.name == name && s.version == version) return s.suite;
    return nullptr;
}

}  // namespace mugwarp
