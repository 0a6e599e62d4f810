#pragma once
#include <chrono>
#include <optional>

#include "filterproc/byte_channel.h"
#include "filterproc/protocol.h"
#include "pshost/filter_run_client.h"

namespace mugwarp::filterproc {

// The editor's side of one run, message by message: answers the runner's
// questions through the client and finds the outcome. Everything the protocol
// does not allow (an unknown type, a damaged payload, a progress total below
// 1) throws ProtocolError saying what arrived, so a runner that sends garbage
// ends its run instead of feeding it to the editor.
class RunConversation {
public:
    using Clock = std::chrono::steady_clock;

    RunConversation(ByteChannel& channel, FilterRunClient& client) : channel_(channel), client_(client) {}

    // The outcome when m ends the run.
    std::optional<RunOutcome> answer(const Message& m);

    // From now on every abort test is answered "stop".
    void requestAbort();
    bool abortRequested() const { return abortRequested_; }
    Clock::time_point abortTime() const { return abortTime_; }

private:
    ByteChannel& channel_;
    FilterRunClient& client_;
    bool abortRequested_ = false;
    Clock::time_point abortTime_{};
};

// The first message of a runner: Ready with our protocol version, else ProtocolError.
void expectReady(const Message& m);

}  // namespace mugwarp::filterproc
