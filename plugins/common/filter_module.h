#pragma once
// What our sample filters share: the entry point's export, the record's
// requests, progress and cancel, and the parameter block kept for repeats.
// Written against the filter protocol alone.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pshost/filter_abi.h"

#define MUGWARP_FILTER_ENTRY extern "C" __attribute__((visibility("default")))

namespace filters {

using namespace mugwarp::abi;

inline Rect16 rect16(int top, int left, int bottom, int right) {
    return {std::int16_t(top), std::int16_t(left), std::int16_t(bottom), std::int16_t(right)};
}
inline int widthOf(const Rect16& r) { return r.right - r.left; }
inline int heightOf(const Rect16& r) { return r.bottom - r.top; }

// Whether the user asked to stop; reports progress on the way.
inline bool stepDone(FilterRecord* r, int done, int total) {
    if (r->progressProc) r->progressProc(done, total);
    return r->abortProc && r->abortProc();
}

// Clears every request, so the host stops calling continue.
inline void requestNothing(FilterRecord* r) {
    r->inRect = {};
    r->outRect = {};
    r->maskRect = {};
}

// Asks the host for the current requests; false (result set) on failure.
inline bool advance(FilterRecord* r, std::int16_t* result) {
    const OSErr e = r->advanceState ? r->advanceState() : OSErr(kHostInsufficient);
    if (e != kNoErr) *result = e;
    return e == kNoErr;
}

// Works down the picture band by band: processes the band the host
// delivered, then asks for the one below it (requestAt(top)), until the last
// band, a cancel or a failed advance; the host is left with no requests.
template <typename ProcessBand, typename RequestAt>
void forEachBand(FilterRecord* r, std::int16_t* result, ProcessBand process, RequestAt requestAt) {
    const int height = r->filterRect.bottom;
    for (;;) {
        process();
        const int next = r->outRect.bottom;
        if (next >= height || stepDone(r, next, height)) break;
        requestAt(next);
        if (!advance(r, result)) break;
    }
    requestNothing(r);
}

// The parameter block: created through the handle suite at the parameters
// selector, read at start. A repeat hands back the block of the earlier run.
template <typename Params>
Params* parameters(FilterRecord* r, bool create) {
    if (!r->parameters) {
        if (!create || !r->handleProcs) return nullptr;
        r->parameters = r->handleProcs->newProc(std::int32_t(sizeof(Params)));
        if (!r->parameters) return nullptr;
    }
    if (r->handleProcs && r->handleProcs->getSizeProc(r->parameters) < std::int32_t(sizeof(Params))) return nullptr;
    return reinterpret_cast<Params*>(*r->parameters);
}

// A window is there to put a dialog on; the command line has none.
inline std::intptr_t parentWindow(const FilterRecord* r) {
    return r->platformData ? static_cast<const PlatformData*>(r->platformData)->hwnd : 0;
}

}  // namespace filters
