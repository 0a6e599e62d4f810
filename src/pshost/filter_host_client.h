#pragma once
#include <cstdint>

#include "pshost/filter_abi.h"

namespace mugwarp {

// Everything a filter run asks of whoever started it: the window (progress
// window, Escape, colour dialog), the command line (nothing), or the process
// that forwards a run from the filter runner. Every function has a quiet
// default, so a client overrides only what it offers.
class FilterHostClient {
public:
    virtual ~FilterHostClient() = default;

    // The filter's progress; the host itself reports (0, 1) after start and
    // (1, 1) before finish.
    virtual void progress(std::int32_t /*done*/, std::int32_t /*total*/) {}
    // Whether the user asked to cancel. Once true, the run is cancelled.
    virtual bool testAbort() { return false; }
    // A colour-services request; the host marks the answer RGB afterwards.
    virtual void colorServices(abi::ColorServicesInfo& /*info*/) {}
    // A filter shows pixels (0xFFRRGGBB, width x height, row by row) at
    // (dstCol, dstRow) of the platform context it passed.
    virtual void displayPixels(const std::uint32_t* /*pixels*/, int /*width*/, int /*height*/,
                               std::int32_t /*dstRow*/, std::int32_t /*dstCol*/, void* /*platformContext*/) {}
    // Filtered rectangles were written into the picture (only with displayOutput).
    virtual void pictureChanged(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) {}
    // Property requests: true when answered; otherwise the filter hears that
    // the host does not offer them.
    virtual bool getProperty(abi::OSType /*signature*/, abi::OSType /*key*/, std::int32_t /*index*/,
                             std::intptr_t* /*simple*/, abi::Handle* /*complex*/) {
        return false;
    }
    virtual bool setProperty(abi::OSType /*signature*/, abi::OSType /*key*/, std::int32_t /*index*/,
                             std::intptr_t /*simple*/, abi::Handle /*complex*/) {
        return false;
    }
    // Every advance-state call, the filter's and the host's own.
    virtual void advanceState() {}
};

}  // namespace mugwarp
