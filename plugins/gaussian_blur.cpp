// Gaussian Blur: a separable blur over 2 r + 1 pixels with sigma r / 2, edges
// repeated. Bands of rows are requested one after the other (each with r rows
// above and below), the horizontal pass goes into a buffer from the host's
// buffer suite, and the radius lives in the parameter block for repeats.
#include <cmath>
#include <vector>

#include "filter_module.h"
#include "prompt.h"

using namespace filters;

namespace {

struct Params {
    std::int32_t radius;
};
constexpr int kDefaultRadius = 2;
constexpr int kMaxRadius = 100;
constexpr int kBandRows = 256;
constexpr int kWeightBits = 12;  // the weights sum to 4096

std::vector<std::int32_t> weights(int radius) {
    const double sigma = radius / 2.0;
    std::vector<double> w(2 * radius + 1);
    double sum = 0;
    for (int k = -radius; k <= radius; ++k) sum += w[k + radius] = std::exp(-(k * k) / (2 * sigma * sigma));
    std::vector<std::int32_t> out(w.size());
    std::int32_t total = 0;
    for (std::size_t i = 0; i < w.size(); ++i) total += out[i] = std::int32_t(std::lround(w[i] / sum * (1 << kWeightBits)));
    out[radius] += (1 << kWeightBits) - total;  // exact unit sum
    return out;
}

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

// One band: rows of inRect blurred across into tmp (8.8 fixed point), then
// down into the output rows.
void blurBand(FilterRecord* r, const std::vector<std::int32_t>& w, int radius, std::uint16_t* tmp) {
    const int width = widthOf(r->inRect);
    const int inTop = r->inRect.top, inRows = heightOf(r->inRect);
    const auto* in = static_cast<const std::uint8_t*>(r->inData);
    for (int y = 0; y < inRows; ++y) {
        const std::uint8_t* row = in + std::ptrdiff_t(y) * r->inRowBytes;
        std::uint16_t* out = tmp + std::size_t(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            std::int32_t sum[3] = {0, 0, 0};
            for (int k = -radius; k <= radius; ++k) {
                const int sx = std::clamp(x + k, 0, width - 1);
                for (int c = 0; c < 3; ++c) sum[c] += w[k + radius] * row[sx * 3 + c];
            }
            for (int c = 0; c < 3; ++c) out[x * 3 + c] = std::uint16_t((sum[c] + 8) >> 4);
        }
    }
    const int height = heightOf(r->filterRect);
    auto* out = static_cast<std::uint8_t*>(r->outData);
    for (int y = r->outRect.top; y < r->outRect.bottom; ++y) {
        std::uint8_t* dst = out + std::ptrdiff_t(y - r->outRect.top) * r->outRowBytes;
        for (int x = 0; x < width * 3; ++x) {
            std::int32_t sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int sy = std::clamp(y + k, 0, height - 1) - inTop;
                sum += w[k + radius] * tmp[std::size_t(sy) * width * 3 + x];
            }
            dst[x] = std::uint8_t(std::min(255, (sum + (1 << 19)) >> 20));
        }
    }
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
