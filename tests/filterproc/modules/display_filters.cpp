// Filters that show the picture through the host's display-pixels callback
// in a memory device context (a DIB section) and copy what was drawn into
// their output, so a test can compare exact pixels; one filter per layout of
// the pixel map. Native modules have no device context: there the callback
// must answer 0, and the picture stays as it is.
#include <cstdint>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#define DISPLAY_EXPORT extern "C" __declspec(dllexport)
#else
#define DISPLAY_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#include "display_layout.h"
#include "pshost/filter_abi.h"

namespace {

using namespace mugwarp::abi;
using namespace display_layout;

enum class Layout { Interleaved, Planar, WideRows, Masked, Grey };

// The pixel map of the whole picture in the layout, with the bytes it points at.
struct Shown {
    PSPixelMap map{};
    PSPixelMask mask{};
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> maskBytes;
};

void build(Layout layout, const FilterRecord* r, Shown& s) {
    const int w = r->filterRect.right, h = r->filterRect.bottom;
    const auto* in = static_cast<const std::uint8_t*>(r->inData);
    auto inAt = [&](int x, int y, int c) { return in[std::ptrdiff_t(y) * r->inRowBytes + x * 3 + c]; };
    PSPixelMap& m = s.map;
    m.bounds = {0, 0, h, w};
    m.imageMode = kImageModeRGB;
    switch (layout) {
    case Layout::Interleaved:
    case Layout::Masked:
        m.rowBytes = r->inRowBytes, m.colBytes = 3, m.planeBytes = 1;
        m.baseAddr = r->inData;
        break;
    case Layout::WideRows:
        m.rowBytes = w * 3 + kWideRowPadding, m.colBytes = 3, m.planeBytes = 1;
        s.bytes.assign(std::size_t(m.rowBytes) * h, 0xEE);
        for (int y = 0; y < h; ++y)
            std::memcpy(&s.bytes[std::size_t(y) * m.rowBytes], in + std::ptrdiff_t(y) * r->inRowBytes,
                        std::size_t(w) * 3);
        break;
    case Layout::Planar:
        m.rowBytes = w, m.colBytes = 1, m.planeBytes = w * h;
        s.bytes.resize(std::size_t(w) * h * 3);
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) s.bytes[std::size_t(c) * w * h + std::size_t(y) * w + x] = inAt(x, y, c);
        break;
    case Layout::Grey:
        m.imageMode = kImageModeGrayScale;
        m.rowBytes = w, m.colBytes = 1, m.planeBytes = 0;
        s.bytes.resize(std::size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) s.bytes[std::size_t(y) * w + x] = inAt(x, y, 1);
        break;
    }
    if (!s.bytes.empty()) m.baseAddr = s.bytes.data();
    if (layout == Layout::Masked) {
        m.version = 2;
        s.maskBytes.resize(std::size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) s.maskBytes[std::size_t(y) * w + x] = maskAt(x, y);
        s.mask = {nullptr, s.maskBytes.data(), w, 1, kMaskSimple};
        m.masks = &s.mask;
        m.maskPhaseRow = kPhaseRow;
        m.maskPhaseCol = kPhaseCol;
    }
}

OSErr show(Layout layout, FilterRecord* r) {
    const int w = r->filterRect.right, h = r->filterRect.bottom;
    Shown s;
    build(layout, r, s);
    const VRect rect{kInsetTop, kInsetLeft, h - kInsetBottom, w - kInsetRight};
#ifdef _WIN32
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC context = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(context, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!context || !dib) return kMemFullErr;
    HGDIOBJ previous = SelectObject(context, dib);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) pixels[i] = kBackground;
    const OSErr e = r->displayPixels(&s.map, &rect, kShownTop, kShownLeft, context);
    GdiFlush();
    auto* out = static_cast<std::uint8_t*>(r->outData);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                out[std::ptrdiff_t(y) * r->outRowBytes + x * 3 + c] =
                    std::uint8_t(pixels[std::size_t(y) * w + x] >> (16 - 8 * c));
    SelectObject(context, previous);
    DeleteObject(dib);
    DeleteDC(context);
    return e;
#else
    return r->displayPixels(&s.map, &rect, kShownTop, kShownLeft, nullptr);
#endif
}

void run(Layout layout, std::int16_t selector, FilterRecord* r, std::int16_t* result) {
    *result = kNoErr;
    if (selector == kSelectorStart) {
        r->inRect = r->outRect = r->filterRect;
        r->inLoPlane = r->outLoPlane = 0;
        r->inHiPlane = r->outHiPlane = 2;
    } else if (selector == kSelectorContinue) {
        *result = show(layout, r);
        r->inRect = r->outRect = {};
    }
}

}  // namespace

#define DISPLAY_ENTRY(name, layout)                                                                         \
    DISPLAY_EXPORT void name(std::int16_t selector, void* record, std::intptr_t*, std::int16_t* result) { \
        if (selector == kSelectorAbout) {                                                                   \
            *result = kNoErr;                                                                               \
            return;                                                                                         \
        }                                                                                                   \
        run(layout, selector, static_cast<FilterRecord*>(record), result);                                  \
    }

DISPLAY_ENTRY(ShowInterleaved, Layout::Interleaved)
DISPLAY_ENTRY(ShowPlanar, Layout::Planar)
DISPLAY_ENTRY(ShowWideRows, Layout::WideRows)
DISPLAY_ENTRY(ShowMasked, Layout::Masked)
DISPLAY_ENTRY(ShowGrey, Layout::Grey)
