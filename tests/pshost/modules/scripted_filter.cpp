// A filter for the host's tests. It inverts the picture in one request, and
// does what its data word says at one selector:
//   bits 0-7   the selector to act at (0: none)
//   bits 8-23  the result code to return there
//   bit 24     ask the host whether to stop (abort test) there
//   bit 25     clear autoMask at start
//   bits 26-31 rows per band (0: the whole picture in one request, as above)
//   bits 32-39 with bands, the band (from 1) whose continue acts (0: every one)
// In bands, output row y is the inverse of input row y - (rows + 1) (row 0
// above the top), so each band reads rows that the host has already written
// back, and must get them as they were before the run.
// It creates a parameter block {42} at the parameters selector.
#include "filter_module.h"

using namespace filters;

namespace {

int bandRowsOf(std::intptr_t script) { return int((script >> 26) & 0x3F); }
int actingBandOf(std::intptr_t script) { return int((script >> 32) & 0xFF); }

void requestBand(FilterRecord* r, int top, int rows) {
    const int bottom = std::min(heightOf(r->filterRect), top + rows);
    r->outRect = rect16(top, 0, bottom, widthOf(r->filterRect));
    r->inRect = rect16(std::max(0, top - rows - 1), 0, bottom, widthOf(r->filterRect));
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void invertBand(FilterRecord* r, int rows) {
    const int width = widthOf(r->outRect);
    for (int y = r->outRect.top; y < r->outRect.bottom; ++y) {
        const int from = std::max(0, y - rows - 1) - r->inRect.top;
        const auto* in = static_cast<const std::uint8_t*>(r->inData) + std::ptrdiff_t(from) * r->inRowBytes;
        auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y - r->outRect.top) * r->outRowBytes;
        for (int i = 0; i < width * 3; ++i) out[i] = std::uint8_t(255 - in[i]);
    }
    const int next = r->outRect.bottom;
    if (next < heightOf(r->filterRect)) {
        requestBand(r, next, rows);
    } else {
        requestNothing(r);
    }
}

void run(std::int16_t selector, void* record, std::intptr_t* data, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    const std::intptr_t script = *data;
    const int rows = bandRowsOf(script);
    const bool actingBand = selector != kSelectorContinue || actingBandOf(script) == 0 ||
                            r->outRect.top / std::max(rows, 1) + 1 == actingBandOf(script);
    if ((script & 0xFF) == selector && actingBand) {
        if (script & (1 << 24)) r->abortProc();
        *result = std::int16_t((script >> 8) & 0xFFFF);
    }
    switch (selector) {
        case kSelectorParameters:
            if (auto* p = parameters<std::int32_t>(r, true)) *p = 42;
            break;
        case kSelectorStart:
            if (rows > 0) {
                requestBand(r, 0, rows);
                if (script & (1 << 25)) r->autoMask = 0;
                break;
            }
            r->inRect = r->outRect = r->filterRect;
            r->inLoPlane = r->outLoPlane = 0;
            r->inHiPlane = r->outHiPlane = 2;
            if (script & (1 << 25)) r->autoMask = 0;
            break;
        case kSelectorContinue: {
            if (rows > 0) {
                invertBand(r, rows);
                break;
            }
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
