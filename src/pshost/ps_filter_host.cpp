#include "pshost/ps_filter_host.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "pshost/floating_point_guard.h"
#include "pshost/host_callbacks.h"
#include "pshost/host_memory.h"
#include "pshost/parameter_block_packing.h"
#include "pshost/photoshop_error.h"
#include "pshost/pixel_map_image.h"
#include "pshost/simple_register.h"

namespace mugwarp {

namespace {

constexpr abi::Fixed kSeventyTwoDpi = 72 << 16;
// The record's coordinates are 16-bit.
constexpr int kLargestSide = std::numeric_limits<std::int16_t>::max();
// A block can be a few times the picture, never unbounded: a faulty filter
// asking for the whole coordinate range gets "out of memory", not the machine's.
constexpr std::size_t kSpareBufferBytes = std::size_t(64) << 20;
// Buffers are kept from run to run (a fresh one costs a page fault every
// 4 KiB of its first use), up to this much; beyond it each run gives them back.
constexpr std::size_t kKeptBufferBytes = std::size_t(256) << 20;

bool anyRequest(const abi::FilterRecord& r) {
    return !isEmpty(r.inRect) || !isEmpty(r.outRect) || !isEmpty(r.maskRect);
}

// A row's bytes are ANDed together eight at a time (a loop that may stop at
// every byte does not vectorise); the whole mask is read once per run.
bool fullySelected(const MaskView& mask) {
    for (int y = 0; y < mask.height; ++y) {
        const std::uint8_t* row = mask.row(y);
        std::uint64_t all = ~std::uint64_t(0);
        int x = 0;
        for (; x + 8 <= mask.width; x += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, row + x, 8);
            all &= eight;
        }
        for (; x < mask.width; ++x) all &= row[x] | ~std::uint64_t(0xFF);
        if (all != ~std::uint64_t(0)) return false;
    }
    return true;
}

void setColor(std::uint8_t (&out)[4], std::uint32_t argb) {
    out[0] = std::uint8_t(argb >> 16);
    out[1] = std::uint8_t(argb >> 8);
    out[2] = std::uint8_t(argb);
    out[3] = 0;
}

}  // namespace

PSFilterHost::PSFilterHost() = default;

PSFilterHost::~PSFilterHost() {
    closeModule();
    if (keptParameters_) HostMemory::instance().dispose(keptParameters_);
}

void PSFilterHost::setPicture(const PixelsView& picture) {
    if (picture.width != picture_.width || picture.height != picture_.height) {
        // Blocks of another size would only be refilled.
        input_.release();
        output_.release();
        maskBytes_ = {};
    }
    picture_ = picture;
    original_.attach(picture);
}

void PSFilterHost::setKeptParameters(abi::Handle block) {
    if (keptParameters_ && keptParameters_ != block) HostMemory::instance().dispose(keptParameters_);
    keptParameters_ = block;
}

void PSFilterHost::setMask(const MaskView* mask) {
    if (mask) {
        mask_ = *mask;
    } else {
        mask_.reset();
    }
}

bool PSFilterHost::canRun(ModuleKind kind) {
#if defined(_WIN32) && defined(_WIN64)
    return kind == ModuleKind::Windows64;
#elif defined(_WIN32)
    return kind == ModuleKind::Windows32;
#else
    return kind == ModuleKind::Native;
#endif
}

void PSFilterHost::openModule(PIPLManager& entry) {
    closeModule();
    manager_ = &entry;
    if (!canRun(entry.moduleKind)) {
        throw PhotoshopError("\"" + entry.getName() + "\" is a Windows module and cannot run here (" + entry.fileName +
                             ").");
    }
    if (!module_.open(entry.fileName)) {
        throw PhotoshopError("The filter module " + entry.fileName + " cannot be loaded: " + module_.error());
    }
    const std::string name = entry.getEntryPoint();
    void* address = name.empty() ? nullptr : module_.symbol(name);
    if (!address) {
        module_.close();
        throw PhotoshopError("The filter module " + entry.fileName + " has no entry point \"" + name + "\".");
    }
    entryPoint_ = reinterpret_cast<abi::PluginEntryPoint>(address);
    resources_.selectModule(entry.fileName);
}

void PSFilterHost::closeModule() {
    entryPoint_ = nullptr;
    module_.close();
}

std::int16_t PSFilterHost::callPlugin(std::int16_t selector) {
    if (!entryPoint_ || !manager_) return 0;
    BoundHost bound(this);
    std::int16_t result = 0;
    void* record = selector == abi::kSelectorAbout ? static_cast<void*>(&about_) : static_cast<void*>(&record_);
    entryPoint_(selector, record, &manager_->pluginData, &result);
    return result;
}

std::size_t PSFilterHost::bufferLimit() const {
    return std::size_t(std::max(0, picture_.width)) * std::size_t(std::max(0, picture_.height)) * 3 * 4 +
           kSpareBufferBytes;
}

void PSFilterHost::setupFilterRecord() {
    if (picture_.width > kLargestSide || picture_.height > kLargestSide) {
        throw PhotoshopError("Filters work on pictures of at most " + std::to_string(kLargestSide) +
                             " pixels a side; this one is " + std::to_string(picture_.width) + " x " +
                             std::to_string(picture_.height) + ".");
    }
    const auto& cb = hostCallbacks();
    const auto width = static_cast<std::int16_t>(picture_.width);
    const auto height = static_cast<std::int16_t>(picture_.height);
    const std::uint64_t physical = totalPhysicalMemory();
    abi::FilterRecord& r = record_;
    r = abi::FilterRecord{};
    r.abortProc = cb.abort;
    r.progressProc = cb.progress;
    r.imageSize = {height, width};
    r.planes = 3;
    r.filterRect = {0, 0, height, width};
    r.maxSpace = static_cast<std::int32_t>(std::min<std::uint64_t>(physical, INT32_MAX));
    r.maxSpace64 = static_cast<std::int64_t>(std::min<std::uint64_t>(physical, INT64_MAX));
    r.haveMask = mask_.has_value();
    bool autoMask = true;
    if (mask_) {
        const auto flags = manager_ ? manager_->filterCaseFlags(options.filterCase) : std::nullopt;
        if (flags && (*flags & abi::kWritesOutsideSelection)) autoMask = false;
    }
    r.autoMask = autoMask;
    setColor(r.backColor, options.backColor);
    setColor(r.foreColor, options.foreColor);
    r.hostSig = hostSignature();
    r.imageMode = abi::kImageModeRGB;
    r.imageHRes = kSeventyTwoDpi;
    r.imageVRes = kSeventyTwoDpi;
    r.wholeSize = r.imageSize;
    r.platformData = &platformData_;
    r.bufferProcs = cb.bufferProcs;
    r.handleProcs = cb.handleProcs;
    r.displayPixels = cb.displayPixels;
    r.filterCase = abi::kFilterCaseFlatImageWithSelection;
    r.dummyPlaneValue = -1;
    r.advanceState = cb.advanceState;
    r.getPropertyObsolete = cb.getProperty;
    r.cannotUndo = 1;
    r.colorServices = cb.colorServices;
    r.inNonLayerPlanes = r.outNonLayerPlanes = r.absNonLayerPlanes = 3;
    r.inTileHeight = r.absTileHeight = r.outTileHeight = r.maskTileHeight = height;
    r.inTileWidth = r.absTileWidth = r.outTileWidth = r.maskTileWidth = width;
    r.propertyProcs = cb.propertyProcs;
    r.processEvent = cb.processEvent;
    r.resourceProcs = cb.resourceProcs;
    r.imageServicesProcs = cb.imageServicesProcs;
    r.channelPortProcs = cb.channelPortProcs;
    channelPorts_.describe(&original_, mask_ ? &*mask_ : nullptr);
    r.documentInfo = channelPorts_.document();
    properties_.setPictureSize(picture_.width, picture_.height);
    errorString_.fill(0);
    r.errorString = reinterpret_cast<unsigned char(*)[256]>(errorString_.data());
    r.sSPBasic = cb.basicSuite;
    r.depth = 8;
    about_ = abi::AboutRecord{};
    about_.platformData = &platformData_;
    about_.sSPBasic = cb.basicSuite;
}

void PSFilterHost::checkSelector(std::int16_t selector) {
    checkPluginResult(callPlugin(selector));
    if (abort_) throw FilterCancelled{};
}

void PSFilterHost::releaseBuffers() {
    input_.forget();
    output_.forget();
    outputPending_ = outputDue_ = false;
    maskBytes_.clear();
}

void PSFilterHost::trimBuffers() {
    const std::size_t kept = input_.bytes.capacity() + output_.bytes.capacity() + original_.storageBytes() +
                             maskBytes_.capacity();
    if (kept <= kKeptBufferBytes) return;
    input_.release();
    output_.release();
    original_.release();
    maskBytes_ = {};
}

void PSFilterHost::disposeRecordParameters() {
    if (record_.parameters) HostMemory::instance().dispose(record_.parameters);
    if (keptParameters_ == record_.parameters) keptParameters_ = nullptr;
    record_.parameters = nullptr;
}

bool PSFilterHost::execute() {
    FloatingPointGuard floatingPoint;
    BoundHost bound(this);
    releaseBuffers();
    original_.attach(picture_);
    abort_ = false;
    setupFilterRecord();
    maskBlends_ = mask_ && !fullySelected(*mask_);
    // The protocol promises finish to every filter whose start succeeded, so
    // it can release what it set up, also when the run ends early.
    bool started = false;
    auto finishQuietly = [&] {
        if (!started) return;
        started = false;
        callPlugin(abi::kSelectorFinish);
    };
    lastSettings_ = {};
    try {
        offerParameters();
        checkSelector(abi::kSelectorPrepare);
        checkSelector(abi::kSelectorStart);
        started = true;
        progressReport(0, 1);
        while (anyRequest(record_)) {
            checkPluginResult(advanceState());
            // Escape also reaches filters that never ask whether to stop.
            if (!abort_ && client_) abort_ = client_->testAbort();
            checkSelector(abi::kSelectorContinue);
        }
        // The last block goes into the picture once finish cannot cancel
        // any more, so nothing of it needs copying aside.
        outputDue_ = true;
        progressReport(1, 1);
        started = false;
        checkPluginResult(callPlugin(abi::kSelectorFinish));
        writeBackPending(false);
    } catch (const FilterCancelled&) {
        finishQuietly();
        outputPending_ = outputDue_ = false;
        original_.restore();
        trimBuffers();
        disposeRecordParameters();
        keptParameters_ = nullptr;
        descriptorParameters_.release();
        return false;
    } catch (...) {
        try {
            finishQuietly();
        } catch (...) {
        }
        writeBackIfDue();
        trimBuffers();
        descriptorParameters_.release();
        throw;
    }
    trimBuffers();
    keptParameters_ = record_.parameters;
    keepSettings();
    return true;
}

void PSFilterHost::offerParameters() {
    if (options.repeat) {
        descriptorParameters_.prepare(std::nullopt, abi::kPlayDontDisplay);
        record_.descriptorParameters = descriptorParameters_.block();
        record_.parameters = keptParameters_;
        return;
    }
    if (keptParameters_) HostMemory::instance().dispose(keptParameters_);
    keptParameters_ = nullptr;
    descriptorParameters_.prepare(options.startSettings.descriptor,
                                  options.showDialog ? abi::kPlayDisplay : abi::kPlayDontDisplay);
    record_.descriptorParameters = descriptorParameters_.block();
    if (const auto& block = options.startSettings.parameters) {
        // Handles the block held when it was kept are made anew here.
        const auto unpacked = unpackParameterBlock(*block, HostMemory::instance());
        if (!unpacked) throw PhotoshopError(pluginErrorMessage(abi::kFilterBadParameters));
        record_.parameters = *unpacked;
        // A kept block without the dialog is a repeat with those settings.
        if (!options.showDialog) return;
    }
    checkSelector(abi::kSelectorParameters);
}

void PSFilterHost::keepSettings() {
    HostMemory& memory = HostMemory::instance();
    if (keptParameters_ && memory.isHandle(keptParameters_) && memory.size(keptParameters_) <= kMaxParameterBlockBytes) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(*keptParameters_);
        lastSettings_.parameters = packParameterBlock({data, memory.size(keptParameters_)}, memory);
    }
    lastSettings_.descriptor = descriptorParameters_.take();
}

abi::OSErr PSFilterHost::advanceState() {
    abi::FilterRecord& r = record_;
    const std::size_t limit = bufferLimit();
    if (!isEmpty(r.inRect)) {
        const PlaneRequest request{r.inRect, r.inLoPlane, r.inHiPlane, r.inPreDummyPlanes, r.inPostDummyPlanes,
                                   r.inputRate};
        const PlaneAnswer a = fillBuffer(request, input_, original_, limit, &halves_);
        if (!a.data) return a.error;
        r.inData = a.data;
        r.inRowBytes = a.rowBytes;
        r.inColumnBytes = a.columnBytes;
        r.inPlaneBytes = a.planeBytes;
    }
    if (!isEmpty(r.outRect)) {
        const PlaneRequest request{r.outRect, r.outLoPlane, r.outHiPlane, r.outPreDummyPlanes, r.outPostDummyPlanes, 0};
        if (holds(output_, request)) {
            // The same block again: it stays where the filter works on it.
            outputDue_ = outputPending_;
        } else if (const abi::OSErr e = writeBackPending(true)) {
            return e;
        }
        const PlaneAnswer a = fillBuffer(request, output_, original_, limit, &halves_);
        if (!a.data) return a.error;
        r.outData = a.data;
        r.outRowBytes = a.rowBytes;
        r.outColumnBytes = a.columnBytes;
        r.outPlaneBytes = a.planeBytes;
        outputPending_ = true;
    }
    if (!isEmpty(r.maskRect) && r.haveMask && mask_) {
        if (!fillMaskBuffer(r.maskRect, r.maskRate, *mask_, maskBytes_, limit)) return abi::kMemFullErr;
        r.maskData = maskBytes_.data();
        r.maskRowBytes = r.maskRect.right - r.maskRect.left;
    }
    return abi::kNoErr;
}

abi::OSErr PSFilterHost::writeBackPending(bool keepOriginals) {
    if (!outputPending_) return abi::kNoErr;
    const abi::Rect16& rect = output_.request.rect;
    // While the run can be cancelled, what is overwritten is copied aside
    // first; later requests read it from there too.
    if (keepOriginals && !original_.save(rect.top, rect.left, rect.bottom, rect.right)) return abi::kMemFullErr;
    outputPending_ = outputDue_ = false;
    // A fully selected picture keeps every filtered pixel: nothing to blend.
    const bool blend = record_.autoMask && maskBlends_;
    writeBack(output_, original_, blend ? &*mask_ : nullptr, &halves_);
    if (options.displayOutput && client_) {
        client_->pictureChanged(std::max<int>(0, rect.left), std::max<int>(0, rect.top),
                                std::min<int>(picture_.width, rect.right), std::min<int>(picture_.height, rect.bottom));
    }
    return abi::kNoErr;
}

void PSFilterHost::writeBackIfDue() {
    if (!outputDue_) return;
    try {
        writeBackPending(false);
    } catch (...) {
        // The error that ended the run is the one to report.
    }
}

// --- Callback targets ------------------------------------------------------

bool PSFilterHost::testAbortRequest() {
    if (!client_) return abort_;
    // Once asked for, the cancel stands until the next run.
    if (client_->testAbort()) abort_ = true;
    return abort_;
}

void PSFilterHost::progressReport(std::int32_t done, std::int32_t total) {
    if (client_) client_->progress(done, total);
}

abi::OSErr PSFilterHost::colorServicesRequest(abi::ColorServicesInfo* info) {
    if (client_) {
        ColorRequest request{info->selector, {}};
        std::copy(std::begin(info->colorComponents), std::end(info->colorComponents), request.components.begin());
        client_->colorServices(request);
        std::copy(request.components.begin(), request.components.end(), std::begin(info->colorComponents));
    }
    info->infoSize = abi::kColorServicesInfoSize;
    info->sourceSpace = abi::kColorSpaceRGB;
    info->resultSpace = abi::kColorSpaceRGB;
    info->reservedSourceSpaceInfo = nullptr;
    info->reservedResultSpaceInfo = nullptr;
    info->reserved = nullptr;
    return abi::kNoErr;
}

abi::OSErr PSFilterHost::displayPixelsRequest(const abi::PSPixelMap* source, const abi::VRect* rect,
                                              std::int32_t dstRow, std::int32_t dstCol, void* context) {
    // Whatever the filter passed is read only where its memory is: a wrong
    // step or pointer draws nothing. Drawing on the context happens here, in
    // the filter's own process (a Windows runner's device context).
    const auto image = readPixelMap(source, rect, dstRow, dstCol, bufferLimit(), readableMemory);
    if (!image) return abi::kNoErr;
    drawOnDeviceContext(*image, context);
    if (client_) client_->displayPixels(image->pixels.data(), image->width, image->height, image->top, image->left,
                                        context);
    return abi::kNoErr;
}

abi::OSErr PSFilterHost::propertyRequest(bool set, abi::OSType, abi::OSType key, std::int32_t index,
                                         std::intptr_t* simpleOut, std::intptr_t simpleIn, abi::Handle* complexOut,
                                         abi::Handle complexIn) {
    // Filters ask with their own signature or ours alike: the key decides.
    return set ? properties_.set(key, index, simpleIn, complexIn) : properties_.get(key, index, simpleOut, complexOut);
}

}  // namespace mugwarp
