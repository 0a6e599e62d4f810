// Colour Fill: asks the host for a colour through colour services (starting
// from the foreground colour) and fills the picture with it, weighted by the
// selection mask, which the filter reads itself: it says in its properties
// that it writes outside the selection and clears autoMask. The colour is kept
// in the parameter block, so a repeat fills with the same colour unasked.
#include "filter_module.h"

using namespace filters;

namespace {

struct Params {
    std::uint8_t rgb[3];
};
constexpr int kBandRows = 256;

OSErr parametersSelector(FilterRecord* r) {
    Params* p = parameters<Params>(r, true);
    if (!p) return kMemFullErr;
    if (!r->colorServices) return kHostInsufficient;
    ColorServicesInfo info{};
    info.infoSize = std::int32_t(sizeof info);
    info.selector = kChooseColor;
    info.sourceSpace = info.resultSpace = kColorSpaceRGB;
    for (int c = 0; c < 3; ++c) info.colorComponents[c] = r->foreColor[c];
    const OSErr e = r->colorServices(&info);
    if (e != kNoErr) return e;
    for (int c = 0; c < 3; ++c) p->rgb[c] = std::uint8_t(std::clamp<int>(info.colorComponents[c], 0, 255));
    return kNoErr;
}

void request(FilterRecord* r, int top) {
    r->outRect = rect16(top, 0, std::min<int>(r->filterRect.bottom, top + kBandRows), r->filterRect.right);
    r->outLoPlane = 0;
    r->outHiPlane = 2;
    r->maskRect = r->haveMask ? r->outRect : Rect16{};
    r->autoMask = 0;
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    const Params* p = parameters<Params>(r, false);
    const std::uint8_t black[3] = {0, 0, 0};
    const std::uint8_t* rgb = p ? p->rgb : black;
    const int width = r->filterRect.right;
    forEachBand(r, result, [&] {
        for (int y = 0; y < heightOf(r->outRect); ++y) {
            auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y) * r->outRowBytes;
            const auto* m = r->haveMask && r->maskData
                                ? static_cast<const std::uint8_t*>(r->maskData) + std::ptrdiff_t(y) * r->maskRowBytes
                                : nullptr;
            for (int x = 0; x < width; ++x) {
                const int weight = m ? m[x] : 255;
                for (int c = 0; c < 3; ++c) {
                    out[x * 3 + c] = std::uint8_t((rgb[c] * weight + out[x * 3 + c] * (255 - weight) + 127) / 255);
                }
            }
        }
    }, [r](int top) { request(r, top); });
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case kSelectorParameters: *result = parametersSelector(r); break;
        case kSelectorStart: request(r, 0); break;
        case kSelectorContinue: continueSelector(r, result); break;
        default: break;
    }
}
