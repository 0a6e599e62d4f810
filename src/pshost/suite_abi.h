#pragma once
// The binary interface of the further services a filter may use: the record's
// resource, image-services and channel-port procedures with the document
// description, and the suites handed out through the basic suite's acquire.
// All naturally aligned; the same declarations give the 64-bit layout (our
// native and Win64 runners) and the 32-bit Windows one (4-byte pointers).
#include "pshost/filter_abi.h"

namespace mugwarp::abi {

using ResType = OSType;

struct VPoint {
    std::int32_t v, h;
};

// --- Record procedures -------------------------------------------------------
struct ResourceProcs {
    std::int16_t resourceProcsVersion;
    std::int16_t numResourceProcs;
    std::int16_t (*countProc)(ResType type);
    Handle (*getProc)(ResType type, std::int16_t index);  // index from 1
    void (*deleteProc)(ResType type, std::int16_t index);
    OSErr (*addProc)(ResType type, Handle data);
};

struct PSImagePlane {
    void* data;
    Rect16 bounds;
    std::int32_t rowBytes;
    std::int32_t colBytes;
};
using InterpolateProc = OSErr (*)(PSImagePlane* source, PSImagePlane* destination, Rect16* area, Fixed* coords,
                                  std::int16_t method);
struct ImageServicesProcs {
    std::int16_t imageServicesProcsVersion;
    std::int16_t numImageServicesProcs;
    InterpolateProc interpolate1DProc;
    InterpolateProc interpolate2DProc;
    void* interpolate1DMultiProc;
    void* interpolate2DMultiProc;
    void* interpolate1DMulti32Proc;
    void* interpolate2DMulti32Proc;
};

// Memory a channel is read into, described in bits.
struct PixelMemoryDesc {
    void* data;
    std::int32_t rowBits;
    std::int32_t colBits;
    std::int32_t bitOffset;
    std::int32_t depth;
};
struct PSScaling {
    VRect sourceRect;
    VRect destinationRect;
};
using ChannelReadPort = struct ChannelReadPortOpaque*;
using ChannelWritePort = struct ChannelWritePortOpaque*;
struct ChannelPortProcs {
    std::int16_t channelPortProcsVersion;
    std::int16_t numChannelPortProcs;
    OSErr (*readPixelsProc)(ChannelReadPort port, const PSScaling* scaling, const VRect* writeRect,
                            const PixelMemoryDesc* destination, VRect* wroteRect);
    OSErr (*writeBasePixelsProc)(ChannelWritePort port, const VRect* writeRect, const PixelMemoryDesc* source);
    OSErr (*readPortForWritePortProc)(ChannelReadPort* readPort, ChannelWritePort writePort);
};

struct ReadChannelDesc {
    std::int32_t minVersion;
    std::int32_t maxVersion;
    ReadChannelDesc* next;
    ChannelReadPort port;
    VRect bounds;
    std::int32_t depth;
    VPoint tileSize;
    VPoint tileOrigin;
    Boolean target;
    Boolean shown;
    std::int16_t channelType;
    void* contextInfo;
    const char* name;
};
constexpr std::int16_t kChannelRed = 1, kChannelGreen = 2, kChannelBlue = 3, kChannelSelection = 19;

struct ReadImageDocumentDesc {
    std::int32_t minVersion;
    std::int32_t maxVersion;
    std::int32_t imageMode;
    std::int32_t depth;
    VRect bounds;
    Fixed hResolution;
    Fixed vResolution;
    std::uint8_t redLUT[256];
    std::uint8_t greenLUT[256];
    std::uint8_t blueLUT[256];
    ReadChannelDesc* targetCompositeChannels;
    ReadChannelDesc* targetTransparency;
    ReadChannelDesc* targetLayerMask;
    ReadChannelDesc* mergedCompositeChannels;
    ReadChannelDesc* mergedTransparency;
    ReadChannelDesc* alphaChannels;
    ReadChannelDesc* selection;
};

enum : OSErr {
    kUnknownPortErr = -30910,
    kUnsupportedRowBitsErr = -30911,
    kUnsupportedColBitsErr = -30912,
    kUnsupportedBitOffsetErr = -30913,
    kUnsupportedDepthErr = -30914,
};

// --- Suites acquired by name (no version header, only procedures) ------------
constexpr SPErr kSPUnimplementedError = 0x21494D50;  // '!IMP'
constexpr SPErr kSPBadParameterError = 0x5061726D;   // 'Parm'
constexpr SPErr kSPOutOfMemoryError = -108;

struct BufferSuite2 {  // version 1 is the first four
    Ptr (*New)(std::uint32_t* inOutSize, std::uint32_t minSize);
    void (*Dispose)(Ptr* buffer);
    std::uint32_t (*GetSize)(Ptr buffer);
    std::uint32_t (*GetSpace)();
    Ptr (*New64)(std::uint64_t* inOutSize, std::uint64_t minSize);
    std::uint64_t (*GetSize64)(Ptr buffer);
    std::uint64_t (*GetSpace64)();
};

using HandleSetLockProc = void (*)(Handle h, Boolean lock, Ptr* address, Boolean* oldLock);
struct HandleSuite1 {
    Handle (*New)(std::int32_t size);
    void (*Dispose)(Handle h);
    HandleSetLockProc SetLock;
    std::int32_t (*GetSize)(Handle h);
    OSErr (*SetSize)(Handle h, std::int32_t newSize);
    void (*RecoverSpace)(std::int32_t size);
};
struct HandleSuite2 {
    Handle (*New)(std::int32_t size);
    void (*Dispose)(Handle h);
    void (*DisposeRegularHandle)(Handle h);
    HandleSetLockProc SetLock;
    std::int32_t (*GetSize)(Handle h);
    OSErr (*SetSize)(Handle h, std::int32_t newSize);
    void (*RecoverSpace)(std::int32_t size);
};

struct UIHooksSuite2 {  // version 1 is the first eight
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    ProgressProc progressBar;
    TestAbortProc testAbort;
    // The window handle is a 32-bit value on Windows; a pointer-sized result
    // reads the same from either declaration.
    std::intptr_t (*MainAppWindow)();
    SPErr (*SetCursor)(const char* cursorName);
    std::uintptr_t (*TickCount)();  // 60 a second
    SPErr (*GetPluginName)(void* plugInRef, void** name);
    SPErr (*SetPluginMenuEntry)(void* plugInRef, void* menuEntry, void* eventID);
};

#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(ResourceProcs) == 40 && sizeof(ImageServicesProcs) == 56 && sizeof(ChannelPortProcs) == 32);
static_assert(sizeof(PSImagePlane) == 24 && offsetof(PSImagePlane, rowBytes) == 16);
static_assert(sizeof(PixelMemoryDesc) == 24 && sizeof(PSScaling) == 32);
static_assert(sizeof(ReadChannelDesc) == 80 && offsetof(ReadChannelDesc, bounds) == 24 &&
              offsetof(ReadChannelDesc, channelType) == 62 && offsetof(ReadChannelDesc, name) == 72);
static_assert(offsetof(ReadImageDocumentDesc, targetCompositeChannels) == 808 &&
              sizeof(ReadImageDocumentDesc) == 864);
static_assert(sizeof(UIHooksSuite2) == 72);
#else
static_assert(sizeof(ResourceProcs) == 20 && sizeof(ImageServicesProcs) == 28 && sizeof(ChannelPortProcs) == 16);
static_assert(sizeof(PSImagePlane) == 20 && offsetof(PSImagePlane, rowBytes) == 12);
static_assert(sizeof(PixelMemoryDesc) == 20 && sizeof(PSScaling) == 32);
static_assert(sizeof(ReadChannelDesc) == 64 && offsetof(ReadChannelDesc, bounds) == 16 &&
              offsetof(ReadChannelDesc, channelType) == 54 && offsetof(ReadChannelDesc, name) == 60);
static_assert(offsetof(ReadImageDocumentDesc, targetCompositeChannels) == 808 &&
              sizeof(ReadImageDocumentDesc) == 836);
static_assert(sizeof(UIHooksSuite2) == 36);
#endif

}  // namespace mugwarp::abi
