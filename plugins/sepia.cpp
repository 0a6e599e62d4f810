// Sepia: the usual sepia colour matrix, in 16.16 fixed point, rounded and
// clamped. Works through the picture in bands of rows, reading and writing.
#include "filter_module.h"

using namespace filters;

namespace {

constexpr int kBandRows = 512;
constexpr std::int32_t kMatrix[3][3] = {
    {25756, 50397, 12386},  // 0.393 0.769 0.189
    {22872, 44958, 11010},  // 0.349 0.686 0.168
    {17826, 34996, 8585},   // 0.272 0.534 0.131
};

void requestBand(FilterRecord* r, int top) {
    const int bottom = std::min<int>(r->filterRect.bottom, top + kBandRows);
    r->inRect = r->outRect = rect16(top, 0, bottom, r->filterRect.right);
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = 2;
}

void tone(FilterRecord* r) {
    const int width = widthOf(r->outRect);
    for (int y = 0; y < heightOf(r->outRect); ++y) {
        const auto* in = static_cast<const std::uint8_t*>(r->inData) + std::ptrdiff_t(y) * r->inRowBytes;
        auto* out = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y) * r->outRowBytes;
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            for (int c = 0; c < 3; ++c) {
                const std::int32_t v = kMatrix[c][0] * in[0] + kMatrix[c][1] * in[1] + kMatrix[c][2] * in[2];
                out[c] = std::uint8_t(std::min(255, (v + 32768) >> 16));
            }
        }
    }
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    forEachBand(r, result, [r] { tone(r); }, [r](int top) { requestBand(r, top); });
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    if (selector == kSelectorStart) requestBand(r, 0);
    if (selector == kSelectorContinue) continueSelector(r, result);
}
