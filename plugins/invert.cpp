// Invert: each of red, green and blue becomes 255 minus itself. The output
// block arrives holding the picture, so the filter works in place in one
// request for the whole picture, reporting progress every band of rows.
#include "filter_module.h"

using namespace filters;

namespace {

constexpr int kBandRows = 128;

void start(FilterRecord* r) {
    r->outRect = r->filterRect;
    r->outLoPlane = 0;
    r->outHiPlane = 2;
}

void invertAll(FilterRecord* r) {
    const int width = widthOf(r->outRect), height = heightOf(r->outRect);
    auto* rows = static_cast<std::uint8_t*>(r->outData);
    const std::size_t rowLength = std::size_t(width) * r->outColumnBytes;
    for (int y = 0; y < height; ++y) {
        if (y % kBandRows == 0 && stepDone(r, y, height)) break;
        std::uint8_t* p = rows + std::ptrdiff_t(y) * r->outRowBytes;
        for (std::size_t i = 0; i < rowLength; ++i) p[i] = std::uint8_t(~p[i]);
    }
    requestNothing(r);
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorStart) start(r);
    if (selector == kSelectorContinue) invertAll(r);
}
