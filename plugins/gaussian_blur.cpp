// Gaussian Blur: a separable blur over 2 r + 1 pixels with sigma r / 2, edges
// repeated. Bands of rows are requested one after the other (each with r rows
// above and below), the horizontal pass goes into a buffer from the host's
// buffer suite, and the radius lives in the parameter block for repeats.
#include <vector>

#include "filter_module.h"
#include "gaussian_blur_kernel.h"
#include "prompt.h"

using namespace filters;

namespace {

struct Params {
    std::int32_t radius;
};
constexpr int kDefaultRadius = 2;
constexpr int kMaxRadius = 100;
using gaussian::kBandRows;
using gaussian::weights;

OSErr parametersSelector(FilterRecord* r) {
    Params* p = parameters<Params>(r, true);
    if (!p) return kMemFullErr;
    int radius = p->radius > 0 ? p->radius : kDefaultRadius;
    if (askInteger(parentWindow(r), "Gaussian Blur", "Radius (pixels):", radius, 1, kMaxRadius) == Prompt::Cancelled) {
        return kUserCanceledErr;
    }
    p->radius = radius;
    return kNoErr;
}

int radiusOf(FilterRecord* r) {
    const Params* p = parameters<Params>(r, false);
    return p && p->radius >= 1 && p->radius <= kMaxRadius ? p->radius : kDefaultRadius;
}

void requestBand(FilterRecord* r, int top, int radius) {
    const int height = heightOf(r->filterRect), width = widthOf(r->filterRect);
    const int bottom = std::min(height, top + kBandRows);
    r->inRect = rect16(std::max(0, top - radius), 0, std::min(height, bottom + radius), width);
    r->outRect = rect16(top, 0, bottom, width);
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void blurBand(FilterRecord* r, const std::vector<std::int32_t>& w, int radius, std::uint16_t* tmp) {
    gaussian::blurBand({static_cast<const std::uint8_t*>(r->inData), r->inRowBytes, r->inRect.top, heightOf(r->inRect),
                        static_cast<std::uint8_t*>(r->outData), r->outRowBytes, r->outRect.top, r->outRect.bottom,
                        widthOf(r->inRect), heightOf(r->filterRect)},
                       w, radius, tmp);
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    const int radius = radiusOf(r);
    const auto w = weights(radius);
    const int width = widthOf(r->filterRect);
    BufferID buffer = nullptr;
    const std::int64_t bytes = std::int64_t(kBandRows + 2 * radius) * width * 3 * 2;
    if (bytes > INT32_MAX || r->bufferProcs->allocateProc(std::int32_t(bytes), &buffer) != kNoErr) {
        *result = kMemFullErr;
        requestNothing(r);
        return;
    }
    auto* tmp = reinterpret_cast<std::uint16_t*>(r->bufferProcs->lockProc(buffer, false));
    forEachBand(r, result, [&] { blurBand(r, w, radius, tmp); }, [&](int top) { requestBand(r, top, radius); });
    r->bufferProcs->unlockProc(buffer);
    r->bufferProcs->freeProc(buffer);
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case kSelectorParameters: *result = parametersSelector(r); break;
        case kSelectorStart: requestBand(r, 0, radiusOf(r)); break;
        case kSelectorContinue: continueSelector(r, result); break;
        default: break;
    }
}
