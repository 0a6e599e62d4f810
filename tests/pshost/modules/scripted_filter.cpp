// A filter for the host's tests. It inverts the picture in one request, and
// does what its data word says at one selector:
//   bits 0-7   the selector to act at (0: none)
//   bits 8-23  the result code to return there
//   bit 24     ask the host whether to stop (abort test) there
//   bit 25     clear autoMask at start
// It creates a parameter block {42} at the parameters selector.
#include "filter_module.h"

using namespace filters;

namespace {

void run(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    const std::intptr_t script = *data;
    if ((script & 0xFF) == selector) {
        if (script & (1 << 24)) r->abortProc();
        *result = std::int16_t((script >> 8) & 0xFFFF);
    }
    switch (selector) {
        case kSelectorParameters:
            if (auto* p = parameters<std::int32_t>(r, true)) *p = 42;
            break;
        case kSelectorStart:
            r->inRect = r->outRect = r->filterRect;
            r->inLoPlane = r->outLoPlane = 0;
            r->inHiPlane = r->outHiPlane = 2;
            if (script & (1 << 25)) r->autoMask = 0;
            break;
        case kSelectorContinue: {
            const int width = widthOf(r->outRect);
            for (int y = 0; y < heightOf(r->outRect); ++y) {
                const auto* in = static_cast<const std::uint8_t*>(r->inData) + std::ptrdiff_t(y) * r->inRowBytes;
                auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y) * r->outRowBytes;
                for (int i = 0; i < width * 3; ++i) out[i] = std::uint8_t(255 - in[i]);
            }
            requestNothing(r);
            break;
        }
        default: break;
    }
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t s, void* record, std::intptr_t* data, std::int16_t* result) {
    run(s, record, data, result);
}
MUGWARP_FILTER_ENTRY void SecondMain(std::int16_t s, void* record, std::intptr_t* data, std::int16_t* result) {
    run(s, record, data, result);
}
