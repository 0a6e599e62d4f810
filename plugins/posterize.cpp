// Posterize: each channel rounded to the nearest of n evenly spaced levels
// (0 and 255 among them). Works in square tiles, output only (the output
// block arrives holding the picture); n lives in the parameter block.
#include "filter_module.h"
#include "prompt.h"

using namespace filters;

namespace {

struct Params {
    std::int32_t levels;
};
constexpr int kDefaultLevels = 4;
constexpr int kTile = 1024;

OSErr parametersSelector(FilterRecord* r) {
    Params* p = parameters<Params>(r, true);
    if (!p) return kMemFullErr;
    int levels = p->levels >= 2 ? p->levels : kDefaultLevels;
    if (askInteger(parentWindow(r), "Posterize", "Levels:", levels, 2, 255) == Prompt::Cancelled) {
        return kUserCanceledErr;
    }
    p->levels = levels;
    return kNoErr;
}

int levelsOf(FilterRecord* r) {
    const Params* p = parameters<Params>(r, false);
    return p && p->levels >= 2 && p->levels <= 255 ? p->levels : kDefaultLevels;
}

void requestTile(FilterRecord* r, int top, int left) {
    r->outRect = rect16(top, left, std::min<int>(r->filterRect.bottom, top + kTile),
                        std::min<int>(r->filterRect.right, left + kTile));
    r->outLoPlane = 0;
    r->outHiPlane = 2;
}

void continueSelector(FilterRecord* r, std::int16_t* result) {
    const int steps = levelsOf(r) - 1;
    std::uint8_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = std::uint8_t(((v * steps + 127) / 255 * 255 + steps / 2) / steps);
    const int tilesAcross = (widthOf(r->filterRect) + kTile - 1) / kTile;
    const int tilesDown = (heightOf(r->filterRect) + kTile - 1) / kTile;
    for (int tile = 0;;) {
        const int width = widthOf(r->outRect);
        for (int y = 0; y < heightOf(r->outRect); ++y) {
            auto* p = static_cast<std::uint8_t*>(r->outData) + std::ptrdiff_t(y) * r->outRowBytes;
            for (int i = 0; i < width * 3; ++i) p[i] = table[p[i]];
        }
        if (++tile >= tilesAcross * tilesDown || stepDone(r, tile, tilesAcross * tilesDown)) break;
        requestTile(r, tile / tilesAcross * kTile, tile % tilesAcross * kTile);
        if (!advance(r, result)) break;
    }
    requestNothing(r);
}

}  // namespace

MUGWARP_FILTER_ENTRY void PluginMain(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorAbout) return;
    auto* r = static_cast<FilterRecord*>(record);
    switch (selector) {
        case kSelectorParameters: *result = parametersSelector(r); break;
        case kSelectorStart: requestTile(r, 0, 0); break;
        case kSelectorContinue: continueSelector(r, result); break;
        default: break;
    }
}
