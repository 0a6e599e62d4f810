// A filter that asks the host for its suites, properties, resources, channel
// ports and image services at start, and writes every answer into its
// parameter block (see probe_results.h). It filters nothing.
#include <cstring>

#include "filter_module.h"
#include "probe_results.h"
#include "pshost/suite_abi.h"

using namespace filters;

namespace {

constexpr OSType code(const char* t) {
    return OSType(std::uint8_t(t[0])) << 24 | OSType(std::uint8_t(t[1])) << 16 | OSType(std::uint8_t(t[2])) << 8 |
           OSType(std::uint8_t(t[3]));
}

void askSuites(FilterRecord* r, probe::Results& out) {
    for (int i = 0; i < probe::kSuiteCount; ++i) {
        const void* suite = &out;  // must be cleared when nothing is served
        out.suiteError[i] = r->sSPBasic->AcquireSuite(probe::kSuites[i].name, probe::kSuites[i].version, &suite);
        out.suiteFound[i] = suite != nullptr;
        if (suite) r->sSPBasic->ReleaseSuite(probe::kSuites[i].name, probe::kSuites[i].version);
    }
    const void* suite = nullptr;
    if (r->sSPBasic->AcquireSuite("Photoshop Buffer Suite for Plug-ins", 2, &suite) == 0) {
        const auto* buffers = static_cast<const BufferSuite2*>(suite);
        std::uint32_t size = 100;
        Ptr block = buffers->New(&size, 10);
        out.bufferSize = size;
        out.bufferSizeReported = buffers->GetSize(block);
        buffers->Dispose(&block);
        out.bufferCleared = block == nullptr;
    }
    if (r->sSPBasic->AcquireSuite("Photoshop Handle Suite for Plug-ins", 2, &suite) == 0) {
        const auto* handles = static_cast<const HandleSuite2*>(suite);
        Handle h = handles->New(16);
        Ptr address = nullptr;
        Boolean wasLocked = 1;
        handles->SetLock(h, 1, &address, &wasLocked);
        handles->SetLock(h, 1, &address, &wasLocked);
        out.handleLockAddressRight = address == *h;
        out.handleWasLocked = wasLocked;
        handles->Dispose(h);
    }
    if (r->sSPBasic->AcquireSuite("Photoshop UIHooks Suite for Plug-ins", 1, &suite) == 0) {
        const auto* hooks = static_cast<const UIHooksSuite2*>(suite);
        out.mainWindowRight = hooks->MainAppWindow() == static_cast<const PlatformData*>(r->platformData)->hwnd;
        out.tickCountRuns = hooks->TickCount() > 0;
        hooks->progressBar(1, 2);
    }
}

void askProperties(FilterRecord* r, probe::Results& out) {
    for (int i = 0; i < probe::kPropertyCount; ++i) {
        std::intptr_t simple = -7;
        Handle block = nullptr;
        out.propertyError[i] = r->propertyProcs->getPropertyProc(code("8BIM"), code(probe::kProperties[i]), 0, &simple,
                                                                 &block);
        out.propertySimple[i] = simple;
        out.propertyBlockSize[i] = block ? r->handleProcs->getSizeProc(block) : -1;
        if (block) r->handleProcs->disposeProc(block);
    }
}

void useResources(FilterRecord* r, probe::Results& out) {
    auto* resources = static_cast<ResourceProcs*>(r->resourceProcs);
    out.resourcesBefore = resources->countProc(code("prob"));
    Handle h = r->handleProcs->newProc(8);
    std::memcpy(*h, "run", 4);
    (*h)[3] = char('0' + out.resourcesBefore);
    resources->addProc(code("prob"), h);
    r->handleProcs->disposeProc(h);
    if (Handle first = resources->getProc(code("prob"), 1)) {
        std::memcpy(out.firstResource, *first, 8);
        r->handleProcs->disposeProc(first);
    }
}

void readPorts(FilterRecord* r, probe::Results& out) {
    const auto* document = static_cast<const ReadImageDocumentDesc*>(r->documentInfo);
    const ReadChannelDesc* green = document->targetCompositeChannels->next;
    out.portChannelType = green->channelType;
    const PSScaling scaling{green->bounds, {0, 0, 2, 2}};
    const VRect writeRect{0, 0, 2, 2};
    const PixelMemoryDesc memory{out.halfGreen, 32, 8, 0, 8};
    VRect wrote{};
    auto* ports = static_cast<ChannelPortProcs*>(r->channelPortProcs);
    out.portError = ports->readPixelsProc(green->port, &scaling, &writeRect, &memory, &wrote);
    out.wrote[0] = wrote.top, out.wrote[1] = wrote.left, out.wrote[2] = wrote.bottom, out.wrote[3] = wrote.right;
    std::uint8_t spare[4];
    const PixelMemoryDesc small{spare, 16, 8, 0, 8};
    out.unknownPortError = ports->readPixelsProc(reinterpret_cast<ChannelReadPort>(&out), nullptr, &writeRect, &small,
                                                 &wrote);
}

void interpolate(FilterRecord* r, probe::Results& out) {
    std::uint8_t source[2][2] = {{0, 100}, {200, 250}}, target[2] = {};
    PSImagePlane from{source, {0, 0, 2, 2}, 2, 1}, to{target, {0, 0, 1, 2}, 2, 1};
    Rect16 area{0, 0, 1, 1};
    Fixed middle[2] = {0x8000, 0x8000};
    auto* services = static_cast<ImageServicesProcs*>(r->imageServicesProcs);
    out.interpolateError = services->interpolate2DProc(&from, &to, &area, middle, 1);
    Rect16 second{0, 1, 1, 2};
    Fixed near[2] = {0x6000, 0xA000};
    services->interpolate2DProc(&from, &to, &second, near, 0);
    out.bilinearMiddle = target[0];
    out.nearestSample = target[1];
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorParameters) {
        parameters<probe::Results>(r, true);
    } else if (selector == kSelectorStart) {
        probe::Results* out = parameters<probe::Results>(r, false);
        if (!out) {
            *result = kParamErr;
            return;
        }
        askSuites(r, *out);
        askProperties(r, *out);
        useResources(r, *out);
        readPorts(r, *out);
        interpolate(r, *out);
    }
}
