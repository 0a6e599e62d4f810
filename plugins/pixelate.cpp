// Pixelate: every 8 x 8 block takes the colour of its top-left pixel. The
// samples come from one input request at an input rate of 8, so the host
// hands over only one pixel per block; the output goes in bands of rows.
// The block size lives in the parameter block.
#include "filter_module.h"

using namespace filters;

namespace {

struct Params {
    std::int32_t block;
};
constexpr int kDefaultBlock = 8;
constexpr int kBandRows = 256;

int blockOf(FilterRecord* r) {
    const Params* p = parameters<Params>(r, false);
    return p && p->block >= 1 && p->block <= 256 ? p->block : kDefaultBlock;
}

void request(FilterRecord* r, int top) {
    const int block = blockOf(r);
    const int height = r->filterRect.bottom, width = r->filterRect.right;
    r->inputRate = block << 16;
    r->inRect = rect16(0, 0, (height + block - 1) / block, (width + block - 1) / block);
    r->outRect = rect16(top, 0, std::min(height, top + kBandRows), width);
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    const int block = blockOf(r), width = r->filterRect.right;
    forEachBand(r, result, [&] {
        for (int y = r->outRect.top; y < r->outRect.bottom; ++y) {
            const auto* samples = static_cast<const std::uint8_t*>(r->inData) + std::ptrdiff_t(y / block) * r->inRowBytes;
            auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y - r->outRect.top) * r->outRowBytes;
            for (int x = 0; x < width; ++x) std::memcpy(out + x * 3, samples + (x / block) * 3, 3);
        }
    }, [r](int top) { request(r, top); });
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case kSelectorParameters: {
            Params* p = parameters<Params>(r, true);
            if (!p) *result = kMemFullErr; else p->block = kDefaultBlock;
            break;
        }
        case kSelectorStart: request(r, 0); break;
        case kSelectorContinue: continueSelector(r, result); break;
        default: break;
    }
}
