#pragma once
#include "pshost/suite_abi.h"

namespace mugwarp {

class PSFilterHost;

// The procedures a filter calls back. The protocol passes them no context, so
// they reach the host whose run is under way through the binding below; runs
// never nest, so one binding at a time is all it takes.
struct HostCallbacks {
    abi::TestAbortProc abort;
    abi::ProgressProc progress;
    abi::AdvanceStateProc advanceState;
    abi::ColorServicesProc colorServices;
    abi::DisplayPixelsProc displayPixels;
    abi::GetPropertyProc getProperty;
    abi::BufferProcs* bufferProcs;
    abi::HandleProcs* handleProcs;
    abi::PropertyProcs* propertyProcs;
    abi::SPBasicSuite* basicSuite;
    abi::ProcessEventProc processEvent;
    abi::ResourceProcs* resourceProcs;
    abi::ImageServicesProcs* imageServicesProcs;
    abi::ChannelPortProcs* channelPortProcs;
};
const HostCallbacks& hostCallbacks();
// The host whose run the callbacks serve now, if any.
PSFilterHost* boundFilterHost();

// Binds the callbacks to a host while alive; the previous binding comes back.
class BoundHost {
public:
    explicit BoundHost(PSFilterHost* host);
    ~BoundHost();
    BoundHost(const BoundHost&) = delete;
    BoundHost& operator=(const BoundHost&) = delete;

private:
    PSFilterHost* previous_;
};

}  // namespace mugwarp
