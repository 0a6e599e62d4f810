#pragma once
// The binary interface between the filter host and filter modules: the filter
// record, the callback suites and the entry point, in the Windows layouts (the
// filter record packed to 4 bytes, everything else naturally aligned). Only
// fixed-width types and pointers are used, so a 64-bit build (native modules,
// our samples, the 64-bit Windows runner) gets the x64 layout under every
// x86-64 compiler, and the 32-bit Windows runner gets the x86 one from the same
// declarations: 4-byte pointers, the same order. Both are checked below.
#include <cstddef>
#include <cstdint>

namespace mugwarp::abi {

using Boolean = std::uint8_t;
using OSErr = std::int16_t;
using Fixed = std::int32_t;
using OSType = std::uint32_t;
using Ptr = char*;
using Handle = char**;  // points at the block's address, so *h is the data
using BufferID = struct PSBuffer*;

struct Point16 {
    std::int16_t v, h;
};
struct Rect16 {
    std::int16_t top, left, bottom, right;
};
struct VRect {
    std::int32_t top, left, bottom, right;
};
struct RGBColor16 {
    std::uint16_t red, green, blue;
};
struct PlugInMonitor {
    Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};
struct PlatformData {
    std::intptr_t hwnd;
};

// --- Selectors, result codes, image modes -----------------------------------
enum : std::int16_t {
    kSelectorAbout = 0,
    kSelectorParameters = 1,
    kSelectorPrepare = 2,
    kSelectorStart = 3,
    kSelectorContinue = 4,
    kSelectorFinish = 5,
};

enum : OSErr {
    kNoErr = 0,
    kReadErr = -19,
    kWritErr = -20,
    kOpenErr = -23,
    kDiskFullErr = -34,
    kIoErr = -36,
    kEofErr = -39,
    kFileNotFoundErr = -43,
    kFileLockedErr = -45,
    kVolumeLockedErr = -46,
    kParamErr = -50,
    kMemFullErr = -108,
    kNilHandleErr = -109,
    kMemWZErr = -111,
    kUserCanceledErr = -128,
    kFilterBadParameters = -30100,
    kFilterBadMode = -30101,
    kHostInsufficient = -30900,
    kPropertyUndefined = -30901,
    kReportString = -30904,
};

constexpr std::int16_t kImageModeRGB = 3;
constexpr std::int16_t kFilterCaseFlatImageWithSelection = 2;
// First flags byte of a filter-case record: the filter may write outside the
// selection, so the host must not blend its output with the mask.
constexpr std::uint8_t kWritesOutsideSelection = 0x08;

// --- Callback types (the C calling convention of the platform) --------------
using TestAbortProc = Boolean (*)();
using ProgressProc = void (*)(std::int32_t done, std::int32_t total);
using HostProc = void (*)(std::int16_t selector, std::intptr_t* data);
using ProcessEventProc = void (*)(void* event);
using AdvanceStateProc = OSErr (*)();

struct ColorServicesInfo;
using ColorServicesProc = OSErr (*)(ColorServicesInfo* info);

struct PSPixelMap;
using DisplayPixelsProc = OSErr (*)(const PSPixelMap* source, const VRect* srcRect, std::int32_t dstRow,
                                    std::int32_t dstCol, void* platformContext);
using GetPropertyProc = OSErr (*)(OSType signature, OSType key, std::int32_t index, std::intptr_t* simpleProperty,
                                  Handle* complexProperty);
using SetPropertyProc = OSErr (*)(OSType signature, OSType key, std::int32_t index, std::intptr_t simpleProperty,
                                  Handle complexProperty);

// --- Suites (natural alignment) ---------------------------------------------
struct BufferProcs {
    std::int16_t bufferProcsVersion;
    std::int16_t numBufferProcs;
    OSErr (*allocateProc)(std::int32_t size, BufferID* bufferID);
    Ptr (*lockProc)(BufferID bufferID, Boolean moveHigh);
    void (*unlockProc)(BufferID bufferID);
    void (*freeProc)(BufferID bufferID);
    std::int32_t (*spaceProc)();
    OSErr (*reserveProc)(std::int32_t size);
    OSErr (*allocateProc64)(std::int64_t size, BufferID* bufferID);
    std::int64_t (*spaceProc64)();
};

struct HandleProcs {
    std::int16_t handleProcsVersion;
    std::int16_t numHandleProcs;
    Handle (*newProc)(std::int32_t size);
    void (*disposeProc)(Handle h);
    std::int32_t (*getSizeProc)(Handle h);
    OSErr (*setSizeProc)(Handle h, std::int32_t newSize);
    Ptr (*lockProc)(Handle h, Boolean moveHigh);
    void (*unlockProc)(Handle h);
    void (*recoverSpaceProc)(std::int32_t size);
    void (*disposeRegularHandleProc)(Handle h);
};

struct PropertyProcs {
    std::int16_t propertyProcsVersion;
    std::int16_t numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

using SPErr = std::int32_t;
using SPBoolean = std::int32_t;
struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char* name, std::int32_t version, const void** suite);
    SPErr (*ReleaseSuite)(const char* name, std::int32_t version);
    SPBoolean (*IsEqual)(const char* token1, const char* token2);
    SPErr (*AllocateBlock)(std::size_t size, void** block);
    SPErr (*FreeBlock)(void* block);
    SPErr (*ReallocateBlock)(void* block, std::size_t newSize, void** newBlock);
    SPErr (*Undefined)();
};

struct ColorServicesInfo {
    std::int32_t infoSize;
    std::int16_t selector;
    std::int16_t sourceSpace;
    std::int16_t resultSpace;
    Boolean resultGamutInfoValid;
    Boolean resultInGamut;
    void* reservedSourceSpaceInfo;
    void* reservedResultSpaceInfo;
    std::int16_t colorComponents[4];
    void* reserved;
    union {
        unsigned char (*pickerPrompt)[256];
        Point16* globalSamplePoint;
        std::int32_t specialColorID;
    } selectorParameter;
};
constexpr std::int16_t kChooseColor = 0;
constexpr std::int16_t kColorSpaceRGB = 0;
// The size hosts report in infoSize, that of the 32-bit record.
constexpr std::int32_t kColorServicesInfoSize = 36;

// A mask over a pixel map: one byte per pixel, 255 opaque (or the inverse,
// or the colours premultiplied against a black, grey or white matte).
struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::int32_t maskDescription;
};
enum : std::int32_t {
    kMaskSimple = 0,
    kMaskBlackMat = 1,
    kMaskGrayMat = 2,
    kMaskWhiteMat = 3,
    kMaskInvert = 4,
};

// The pixels a filter asks the host to show. A filter fills only the fields
// of its version: 0 ends at baseAddr, 1 adds the masks, 2 the overlays and
// colour management, 3 the depth.
struct PSPixelMap {
    std::int32_t version;
    VRect bounds;
    std::int32_t imageMode;
    std::int32_t rowBytes;
    std::int32_t colBytes;
    std::int32_t planeBytes;
    void* baseAddr;
    PSPixelMask* mat;
    PSPixelMask* masks;
    std::int32_t maskPhaseRow;
    std::int32_t maskPhaseCol;
    void* pixelOverlays;
    std::uint32_t colorManagementOptions;
    std::int16_t depth;
};
constexpr std::int16_t kImageModeGrayScale = 1;

struct AboutRecord {
    void* platformData;
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    char reserved[244];
};

// --- The filter record (packed to 4 bytes, as Windows plug-ins are built) ----
#pragma pack(push, 4)
struct FilterRecord {
    std::int32_t serialNumber;
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters;
    Point16 imageSize;
    std::int16_t planes;
    Rect16 filterRect;
    RGBColor16 background;
    RGBColor16 foreground;
    std::int32_t maxSpace;
    std::int32_t bufferSpace;
    Rect16 inRect;
    std::int16_t inLoPlane;
    std::int16_t inHiPlane;
    Rect16 outRect;
    std::int16_t outLoPlane;
    std::int16_t outHiPlane;
    void* inData;
    std::int32_t inRowBytes;
    void* outData;
    std::int32_t outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect16 maskRect;
    void* maskData;
    std::int32_t maskRowBytes;
    std::uint8_t backColor[4];
    std::uint8_t foreColor[4];
    OSType hostSig;
    HostProc hostProc;
    std::int16_t imageMode;
    Fixed imageHRes;
    Fixed imageVRes;
    Point16 floatCoord;
    Point16 wholeSize;
    PlugInMonitor monitor;
    void* platformData;
    BufferProcs* bufferProcs;
    void* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;
    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    std::int16_t wantLayout;
    std::int16_t filterCase;
    std::int16_t dummyPlaneValue;
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    std::int16_t inputPadding;
    std::int16_t outputPadding;
    std::int16_t maskPadding;
    char samplingSupport;
    char reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    std::int16_t inLayerPlanes, inTransparencyMask, inLayerMasks, inInvertedLayerMasks, inNonLayerPlanes;
    std::int16_t outLayerPlanes, outTransparencyMask, outLayerMasks, outInvertedLayerMasks, outNonLayerPlanes;
    std::int16_t absLayerPlanes, absTransparencyMask, absLayerMasks, absInvertedLayerMasks, absNonLayerPlanes;
    std::int16_t inPreDummyPlanes, inPostDummyPlanes;
    std::int16_t outPreDummyPlanes, outPostDummyPlanes;
    std::int32_t inColumnBytes;
    std::int32_t inPlaneBytes;
    std::int32_t outColumnBytes;
    std::int32_t outPlaneBytes;
    void* imageServicesProcs;
    PropertyProcs* propertyProcs;
    std::int16_t inTileHeight, inTileWidth;
    Point16 inTileOrigin;
    std::int16_t absTileHeight, absTileWidth;
    Point16 absTileOrigin;
    std::int16_t outTileHeight, outTileWidth;
    Point16 outTileOrigin;
    std::int16_t maskTileHeight, maskTileWidth;
    Point16 maskTileOrigin;
    void* descriptorParameters;
    unsigned char (*errorString)[256];
    void* channelPortProcs;
    void* documentInfo;
    SPBasicSuite* sSPBasic;
    void* plugInRef;
    std::int32_t depth;
    Handle iCCprofileData;
    std::int32_t iCCprofileSize;
    std::int32_t canUseICCProfiles;
    std::int32_t hasImageScrap;
    void* bigDocumentData;
    void* input3DScene;
    void* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    std::int32_t iCCWorkingProfileSize;
    std::int64_t bufferSpace64;
    std::int64_t maxSpace64;
    Boolean allowOverrangeColors;
    char reserved[45];
};
#pragma pack(pop)

// The exported entry point every module provides, under the name its PiPL gives.
using PluginEntryPoint = void (*)(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result);

#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(FilterRecord) == 608);
static_assert(offsetof(FilterRecord, parameters) == 20);
static_assert(offsetof(FilterRecord, inRect) == 64);
static_assert(offsetof(FilterRecord, inData) == 88);
static_assert(offsetof(FilterRecord, autoMask) == 114);
static_assert(offsetof(FilterRecord, hostSig) == 144);
static_assert(offsetof(FilterRecord, platformData) == 216);
static_assert(offsetof(FilterRecord, filterCase) == 268);
static_assert(offsetof(FilterRecord, advanceState) == 280);
static_assert(offsetof(FilterRecord, inputRate) == 312);
static_assert(offsetof(FilterRecord, colorServices) == 320);
static_assert(offsetof(FilterRecord, inColumnBytes) == 368);
static_assert(offsetof(FilterRecord, propertyProcs) == 392);
static_assert(offsetof(FilterRecord, errorString) == 440);
static_assert(offsetof(FilterRecord, sSPBasic) == 464);
static_assert(offsetof(FilterRecord, depth) == 480);
static_assert(offsetof(FilterRecord, createNewLayer) == 528);
static_assert(offsetof(FilterRecord, maxSpace64) == 552);
static_assert(sizeof(BufferProcs) == 72 && sizeof(HandleProcs) == 72 && sizeof(PropertyProcs) == 24);
static_assert(sizeof(SPBasicSuite) == 56);
static_assert(offsetof(ColorServicesInfo, colorComponents) == 32 && sizeof(ColorServicesInfo) == 56);
static_assert(offsetof(PSPixelMap, baseAddr) == 40 && offsetof(PSPixelMap, masks) == 56);
static_assert(offsetof(PSPixelMap, maskPhaseCol) == 68 && offsetof(PSPixelMap, depth) == 84);
static_assert(sizeof(PSPixelMask) == 32 && offsetof(PSPixelMask, maskDescription) == 24);
static_assert(sizeof(AboutRecord) == 272);
#elif INTPTR_MAX == INT32_MAX
static_assert(sizeof(FilterRecord) == 488);
static_assert(offsetof(FilterRecord, parameters) == 12);
static_assert(offsetof(FilterRecord, inRect) == 52);
static_assert(offsetof(FilterRecord, inData) == 76);
static_assert(offsetof(FilterRecord, autoMask) == 94);
static_assert(offsetof(FilterRecord, hostSig) == 120);
static_assert(offsetof(FilterRecord, platformData) == 188);
static_assert(offsetof(FilterRecord, filterCase) == 216);
static_assert(offsetof(FilterRecord, advanceState) == 224);
static_assert(offsetof(FilterRecord, inputRate) == 248);
static_assert(offsetof(FilterRecord, colorServices) == 256);
static_assert(offsetof(FilterRecord, inColumnBytes) == 300);
static_assert(offsetof(FilterRecord, propertyProcs) == 320);
static_assert(offsetof(FilterRecord, errorString) == 360);
static_assert(offsetof(FilterRecord, sSPBasic) == 372);
static_assert(offsetof(FilterRecord, depth) == 380);
static_assert(offsetof(FilterRecord, createNewLayer) == 412);
static_assert(offsetof(FilterRecord, bufferSpace64) == 424 && offsetof(FilterRecord, maxSpace64) == 432);
static_assert(sizeof(BufferProcs) == 36 && sizeof(HandleProcs) == 36 && sizeof(PropertyProcs) == 12);
static_assert(sizeof(SPBasicSuite) == 28);
static_assert(offsetof(ColorServicesInfo, colorComponents) == 20 && sizeof(ColorServicesInfo) == 36);
static_assert(offsetof(PSPixelMap, baseAddr) == 36 && offsetof(PSPixelMap, masks) == 44);
static_assert(offsetof(PSPixelMap, maskPhaseCol) == 52 && offsetof(PSPixelMap, depth) == 64);
static_assert(sizeof(PSPixelMask) == 20 && offsetof(PSPixelMask, maskDescription) == 16);
static_assert(sizeof(AboutRecord) == 256);
#else
#error "filter modules exist for 32- and 64-bit code only"
#endif

}  // namespace mugwarp::abi
