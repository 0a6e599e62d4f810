// Gaussian Blur: a separable blur over 2 r + 1 pixels with sigma r / 2, edges
// repeated. Bands of rows are requested one after the other (each with r rows
// above and below), the horizontal pass goes into a buffer from the host's
// buffer suite, and the radius lives in the parameter block for repeats.
// The radius is asked for at start, where the picture can be had: the
// dialog's preview shows the middle of the picture blurred, through the
// host's display-pixels callback.
#include <vector>

#include "filter_module.h"
#include "gaussian_blur_kernel.h"
#include "prompt.h"

using namespace filters;

namespace {

struct Params {
    std::int32_t radius;
    std::int32_t askAtStart;  // set by the parameters selector, so a repeat does not ask
};
constexpr int kDefaultRadius = 2;
constexpr int kMaxRadius = 100;
using gaussian::kBandRows;
using gaussian::weights;

OSErr parametersSelector(FilterRecord* r) {
    Params* p = parameters<Params>(r, true);
    if (!p) return kMemFullErr;
    if (p->radius <= 0) p->radius = kDefaultRadius;
    p->askAtStart = 1;
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

// The middle of the picture, at most width x height, blurred with radius as
// the filter blurs it, drawn centred in that rectangle of the context.
void drawPreview(FilterRecord* r, int radius, void* context, int left, int top, int width, int height) {
    const int pictureWidth = widthOf(r->filterRect), pictureHeight = heightOf(r->filterRect);
    const int w = std::min(width, pictureWidth), h = std::min(height, pictureHeight);
    if (w <= 0 || h <= 0 || !r->displayPixels) return;
    const int x0 = (pictureWidth - w) / 2, y0 = (pictureHeight - h) / 2;
    // With the rows and columns around it that the blur reaches: clamped at
    // their edges, which lie beyond its reach or are the picture's own.
    r->inRect = rect16(std::max(0, y0 - radius), std::max(0, x0 - radius), std::min(pictureHeight, y0 + h + radius),
                       std::min(pictureWidth, x0 + w + radius));
    r->inLoPlane = 0;
    r->inHiPlane = 2;
    std::int16_t ignored = 0;
    if (!advance(r, &ignored)) return;
    const Rect16 in = r->inRect;
    r->inRect = {};
    const int inWidth = widthOf(in);
    std::vector<std::uint8_t> blurred(std::size_t(h) * inWidth * 3);
    std::vector<std::uint16_t> tmp(std::size_t(heightOf(in)) * inWidth * 3);
    gaussian::blurBand({static_cast<const std::uint8_t*>(r->inData), r->inRowBytes, in.top, heightOf(in),
                        blurred.data(), inWidth * 3, y0, y0 + h, inWidth, pictureHeight},
                       weights(radius), radius, tmp.data());
    PSPixelMap map{};
    map.version = 1;
    map.bounds = {y0, in.left, y0 + h, in.right};
    map.imageMode = kImageModeRGB;
    map.rowBytes = inWidth * 3;
    map.colBytes = 3;
    map.planeBytes = 1;
    map.baseAddr = blurred.data();
    const VRect shown{y0, x0, y0 + h, x0 + w};
    r->displayPixels(&map, &shown, top + (height - h) / 2, left + (width - w) / 2, context);
}

OSErr startSelector(FilterRecord* r) {
    Params* p = parameters<Params>(r, false);
    if (p && p->askAtStart) {
        p->askAtStart = 0;
        int radius = radiusOf(r);
        const Preview preview = [r](int value, void* context, int left, int top, int width, int height) {
            drawPreview(r, value, context, left, top, width, height);
        };
        const Prompt answer =
            askInteger(parentWindow(r), "Gaussian Blur", "Radius (pixels):", radius, 1, kMaxRadius, preview);
        if (answer == Prompt::Cancelled) return kUserCanceledErr;
        p->radius = radius;
    }
    requestBand(r, 0, radiusOf(r));
    return kNoErr;
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
        case kSelectorStart: *result = startSelector(r); break;
        case kSelectorContinue: continueSelector(r, result); break;
        default: break;
    }
}
