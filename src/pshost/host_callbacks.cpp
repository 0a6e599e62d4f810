#include "pshost/host_callbacks.h"

#include <cstring>
#include <limits>

#include "pshost/host_memory.h"
#include "pshost/ps_filter_host.h"

namespace mugwarp {

namespace {

using namespace abi;

PSFilterHost* boundHost = nullptr;

// Nothing may unwind through a filter's frames: whatever goes wrong in the
// host's side of a callback becomes a result code.
template <typename F, typename R>
R guarded(F&& f, R onFailure) {
    try {
        return f();
    } catch (...) {
        return onFailure;
    }
}

HostMemory& memory() { return HostMemory::instance(); }
Handle asHandle(BufferID id) { return reinterpret_cast<Handle>(id); }

std::int32_t clampedSpace() {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(totalPhysicalMemory(), INT32_MAX));
}

// --- Bound callbacks ---------------------------------------------------------
Boolean testAbort() {
    return guarded([] { return Boolean(boundHost && boundHost->testAbortRequest()); }, Boolean(0));
}
void progress(std::int32_t done, std::int32_t total) {
    guarded(
        [&] {
            if (boundHost) boundHost->progressReport(done, total);
            return 0;
        },
        0);
}
OSErr advanceState() {
    return guarded([] { return boundHost ? boundHost->advanceState() : OSErr(kHostInsufficient); }, OSErr(kMemFullErr));
}
OSErr colorServices(ColorServicesInfo* info) {
    return guarded([&] { return boundHost && info ? boundHost->colorServicesRequest(info) : OSErr(kParamErr); },
                   OSErr(kParamErr));
}
OSErr displayPixels(const PSPixelMap* source, const VRect* rect, std::int32_t row, std::int32_t col, void* context) {
    return guarded(
        [&] {
            return boundHost && source && rect ? boundHost->displayPixelsRequest(source, rect, row, col, context)
                                               : OSErr(kParamErr);
        },
        OSErr(kParamErr));
}
OSErr getProperty(OSType signature, OSType key, std::int32_t index, std::intptr_t* simple, Handle* complex) {
    return guarded(
        [&] {
            return boundHost ? boundHost->propertyRequest(false, signature, key, index, simple, 0, complex, nullptr)
                             : OSErr(kHostInsufficient);
        },
        OSErr(kHostInsufficient));
}
OSErr setProperty(OSType signature, OSType key, std::int32_t index, std::intptr_t simple, Handle complex) {
    return guarded(
        [&] {
            return boundHost ? boundHost->propertyRequest(true, signature, key, index, nullptr, simple, nullptr, complex)
                             : OSErr(kHostInsufficient);
        },
        OSErr(kHostInsufficient));
}

// --- Buffer suite --------------------------------------------------------------
OSErr bufferAllocate(std::int32_t size, BufferID* id) {
    if (!id) return kParamErr;
    *id = nullptr;
    if (size == 0) return kNilHandleErr;
    if (size < 0) return kParamErr;
    const Handle h = guarded([&] { return memory().allocate(std::size_t(size)); }, Handle(nullptr));
    if (!h) return kMemFullErr;
    *id = reinterpret_cast<BufferID>(h);
    return kNoErr;
}
Ptr bufferLock(BufferID id, Boolean) { return id ? memory().lock(asHandle(id)) : nullptr; }
void bufferUnlock(BufferID id) { memory().unlock(asHandle(id)); }
void bufferFree(BufferID id) {
    if (id) memory().dispose(asHandle(id));
}
std::int32_t bufferSpace() { return clampedSpace(); }

// --- Handle suite --------------------------------------------------------------
Handle handleNew(std::int32_t size) {
    if (size < 0) return nullptr;
    return guarded([&] { return memory().allocate(std::size_t(size)); }, Handle(nullptr));
}
void handleDispose(Handle h) {
    // Unlocking down to zero first changes nothing here: the block goes either way.
    if (h) memory().dispose(h);
}
std::int32_t handleGetSize(Handle h) {
    return static_cast<std::int32_t>(std::min<std::size_t>(memory().size(h), INT32_MAX));
}
OSErr handleSetSize(Handle h, std::int32_t size) {
    if (size < 0 || !memory().isHandle(h)) return kNilHandleErr;
    return memory().resize(h, std::size_t(size)) ? kNoErr : kMemFullErr;
}
Ptr handleLock(Handle h, Boolean) { return h ? memory().lock(h) : nullptr; }
void handleUnlock(Handle h) { memory().unlock(h); }
void handleRecoverSpace(std::int32_t) {}

// --- Basic suite: no suites are offered through it -----------------------------
SPErr acquireSuite(const char*, std::int32_t, const void** suite) {
    if (suite) *suite = nullptr;
    return kHostInsufficient;
}
SPErr releaseSuite(const char*, std::int32_t) { return 0; }
SPBoolean isEqual(const char*, const char*) { return 0; }
SPErr allocateBlock(std::size_t, void** block) {
    if (block) *block = nullptr;
    return 0;
}
SPErr freeBlock(void*) { return 0; }
SPErr reallocateBlock(void*, std::size_t, void** block) {
    if (block) *block = nullptr;
    return 0;
}
SPErr undefinedProc() { return 0; }

BufferProcs bufferSuite{2, 5, bufferAllocate, bufferLock, bufferUnlock, bufferFree, bufferSpace, nullptr, nullptr, nullptr};
HandleProcs handleSuite{1,          7,          handleNew,    handleDispose,      handleGetSize,
                        handleSetSize, handleLock, handleUnlock, handleRecoverSpace, nullptr};
PropertyProcs propertySuite{1, 2, getProperty, setProperty};
SPBasicSuite basicSuite{acquireSuite, releaseSuite, isEqual, allocateBlock, freeBlock, reallocateBlock, undefinedProc};

}  // namespace

const HostCallbacks& hostCallbacks() {
    static const HostCallbacks table{testAbort,  progress,     advanceState,   colorServices, displayPixels,
                                     getProperty, &bufferSuite, &handleSuite, &propertySuite, &basicSuite};
    return table;
}

BoundHost::BoundHost(PSFilterHost* host) : previous_(boundHost) { boundHost = host; }
BoundHost::~BoundHost() { boundHost = previous_; }

}  // namespace mugwarp
