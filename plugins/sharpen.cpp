// Sharpen: 5 x centre - the four direct neighbours, clamped, edges repeated.
// One plane at a time, in bands of rows with one row above and below, so it
// exercises single-plane requests and many advance steps.
#include "filter_module.h"

using namespace filters;

namespace {

constexpr int kBandRows = 200;

void requestBand(FilterRecord* r, int plane, int top) {
    const int height = r->filterRect.bottom, width = r->filterRect.right;
    const int bottom = std::min(height, top + kBandRows);
    r->inRect = rect16(std::max(0, top - 1), 0, std::min(height, bottom + 1), width);
    r->outRect = rect16(top, 0, bottom, width);
    r->inLoPlane = r->inHiPlane = r->outLoPlane = r->outHiPlane = std::int16_t(plane);
}

void sharpenBand(FilterRecord* r) {
    const int width = widthOf(r->outRect), height = r->filterRect.bottom;
    const auto* in = static_cast<const std::uint8_t*>(r->inData);
    for (int y = r->outRect.top; y < r->outRect.bottom; ++y) {
        auto row = [&](int picY) { return in + std::ptrdiff_t(std::clamp(picY, 0, height - 1) - r->inRect.top) * r->inRowBytes; };
        const std::uint8_t *up = row(y - 1), *mid = row(y), *down = row(y + 1);
        auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y - r->outRect.top) * r->outRowBytes;
        for (int x = 0; x < width; ++x) {
            const int l = std::max(0, x - 1), rt = std::min(width - 1, x + 1);
            out[x] = std::uint8_t(std::clamp(5 * mid[x] - mid[l] - mid[rt] - up[x] - down[x], 0, 255));
        }
    }
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    const int height = r->filterRect.bottom;
    const int total = 3 * height;
    for (;;) {
        sharpenBand(r);
        int plane = r->outLoPlane, next = r->outRect.bottom;
        if (next >= height) {
            ++plane;
            next = 0;
        }
        if (plane > 2 || stepDone(r, plane * height + next, total)) break;
        requestBand(r, plane, next);
        if (!advance(r, result)) break;
    }
    requestNothing(r);
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorStart) requestBand(r, 0, 0);
    if (selector == kSelectorContinue) continueSelector(r, result);
}
