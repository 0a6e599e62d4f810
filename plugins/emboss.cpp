// Emboss: each channel becomes 128 + (lower-right neighbour - upper-left
// neighbour), clamped, with the edge pixels repeated. One request reads the
// whole picture and writes the whole picture.
#include "filter_module.h"

using namespace filters;

namespace {

void start(FilterRecord* r) {
    r->inRect = r->outRect = r->filterRect;
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void emboss(FilterRecord* r) {
    const int width = widthOf(r->outRect), height = heightOf(r->outRect);
    const auto* in = static_cast<const std::uint8_t*>(r->inData);
    auto* out = static_cast<std::uint8_t*>(r->outData);
    for (int y = 0; y < height; ++y) {
        if (y % 64 == 0 && stepDone(r, y, height)) break;
        const std::uint8_t* above = in + std::ptrdiff_t(std::max(0, y - 1)) * r->inRowBytes;
        const std::uint8_t* below = in + std::ptrdiff_t(std::min(height - 1, y + 1)) * r->inRowBytes;
        std::uint8_t* dst = out + std::ptrdiff_t(y) * r->outRowBytes;
        for (int x = 0; x < width; ++x) {
            const int left = std::max(0, x - 1) * 3, right = std::min(width - 1, x + 1) * 3;
            for (int c = 0; c < 3; ++c) dst[x * 3 + c] = std::uint8_t(std::clamp(128 + below[right + c] - above[left + c], 0, 255));
        }
    }
    requestNothing(r);
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorStart) start(r);
    if (selector == kSelectorContinue) emboss(r);
}
