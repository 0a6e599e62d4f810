#include "pshost/host_callbacks.h"

#include <cstring>
#include <limits>

#include <cstdlib>
#include <string>

#include "pshost/acquired_suites.h"
#include "pshost/host_memory.h"
#include "pshost/image_services.h"
#include "pshost/ps_filter_host.h"
#include "pshost/unserved_log.h"

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

// --- Resources, kept per module ------------------------------------------------
std::int16_t resourceCount(ResType type) {
    return guarded([&] { return boundHost ? boundHost->resources().count(type) : std::int16_t(0); }, std::int16_t(0));
}
Handle resourceGet(ResType type, std::int16_t index) {
    return guarded([&] { return boundHost ? boundHost->resources().get(type, index) : Handle(nullptr); }, Handle(nullptr));
}
void resourceDelete(ResType type, std::int16_t index) {
    guarded(
        [&] {
            if (boundHost) boundHost->resources().remove(type, index);
            return 0;
        },
        0);
}
OSErr resourceAdd(ResType type, Handle data) {
    return guarded([&] { return boundHost ? boundHost->resources().add(type, data) : OSErr(kParamErr); },
                   OSErr(kMemFullErr));
}

// --- Channel ports: read ports over the picture, no write ports -------------------
OSErr readPixels(ChannelReadPort port, const PSScaling* scaling, const VRect* writeRect,
                 const PixelMemoryDesc* destination, VRect* wroteRect) {
    if (!boundHost || !writeRect || !destination) return kParamErr;
    return boundHost->channelPorts().read(port, scaling, *writeRect, *destination, wroteRect);
}
OSErr writeBasePixels(ChannelWritePort, const VRect*, const PixelMemoryDesc*) { return kUnknownPortErr; }
OSErr readPortForWritePort(ChannelReadPort* readPort, ChannelWritePort) {
    if (readPort) *readPort = nullptr;
    return kUnknownPortErr;
}

void processEvent(void*) {}

// --- Basic suite ------------------------------------------------------------------
SPErr acquireSuite(const char* name, std::int32_t version, const void** suite) {
    const void* found = guarded([&] { return findSuite(name, version); }, static_cast<const void*>(nullptr));
    if (suite) *suite = found;
    if (found) return 0;
    guarded(
        [&] {
            logUnserved("suite \"" + std::string(name ? name : "") + "\" version " + std::to_string(version));
            return 0;
        },
        0);
    return kHostInsufficient;
}
SPErr releaseSuite(const char*, std::int32_t) { return 0; }
SPBoolean isEqual(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
// Blocks of the basic suite are the C library's, zero-filled like every other.
SPErr allocateBlock(std::size_t size, void** block) {
    if (!block) return kSPBadParameterError;
    *block = std::calloc(size == 0 ? 1 : size, 1);
    return *block ? 0 : kSPOutOfMemoryError;
}
SPErr freeBlock(void* block) {
    std::free(block);
    return 0;
}
SPErr reallocateBlock(void* block, std::size_t size, void** newBlock) {
    if (!newBlock) return kSPBadParameterError;
    void* moved = std::realloc(block, size == 0 ? 1 : size);
    if (!moved) return kSPOutOfMemoryError;
    *newBlock = moved;
    return 0;
}
SPErr undefinedProc() { return kSPUnimplementedError; }

BufferProcs bufferSuite{2, 5, bufferAllocate, bufferLock, bufferUnlock, bufferFree, bufferSpace, nullptr, nullptr, nullptr};
HandleProcs handleSuite{1,          7,          handleNew,    handleDispose,      handleGetSize,
                        handleSetSize, handleLock, handleUnlock, handleRecoverSpace, nullptr};
PropertyProcs propertySuite{1, 2, getProperty, setProperty};
SPBasicSuite basicSuite{acquireSuite, releaseSuite, isEqual, allocateBlock, freeBlock, reallocateBlock, undefinedProc};
ResourceProcs resourceSuite{3, 4, resourceCount, resourceGet, resourceDelete, resourceAdd};
ImageServicesProcs imageServices{1, 2, interpolate1D, interpolate2D, nullptr, nullptr, nullptr, nullptr};
ChannelPortProcs channelPortSuite{1, 3, readPixels, writeBasePixels, readPortForWritePort};

}  // namespace

const HostCallbacks& hostCallbacks() {
    static const HostCallbacks table{testAbort,     progress,       advanceState,   colorServices,
                                     displayPixels, getProperty,    &bufferSuite,   &handleSuite,
                                     &propertySuite, &basicSuite,   processEvent,   &resourceSuite,
                                     &imageServices, &channelPortSuite};
    return table;
}

PSFilterHost* boundFilterHost() { return boundHost; }

BoundHost::BoundHost(PSFilterHost* host) : previous_(boundHost) { boundHost = host; }
BoundHost::~BoundHost() { boundHost = previous_; }

}  // namespace mugwarp
