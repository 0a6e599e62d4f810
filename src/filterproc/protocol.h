#pragma once
#include <cstdint>
#include <string>

#include "filterproc/message.h"
#include "pshost/filter_run_client.h"

namespace mugwarp::filterproc {

// Bumped whenever a message changes shape; both sides compare it on start.
constexpr std::uint32_t kProtocolVersion = 3;
// The exit code of a runner that ended a filter which, running without its
// dialog, asked for it (a window or a message box of its own).
constexpr int kExitAskedForDialog = 86;

enum class MessageType : std::uint32_t {
    // runner -> editor
    Ready = 1,          // version, runner description; sent once on start
    Progress = 2,       // done, total; no answer
    TestAbort = 3,      // answered by AbortAnswer
    ColorServices = 4,  // answered by ColorAnswer
    Outcome = 5,        // ends a run
    // editor -> runner
    Run = 100,
    AbortAnswer = 101,
    ColorAnswer = 102,
    Quit = 103,
};

// One filter run as the editor asks for it. The picture and (unless
// everything is selected) the mask are in the shared picture file named here;
// the runner filters the picture in place.
struct RunRequest {
    std::string modulePath;
    std::string category;          // with filterName, picks the module's filter
    std::string filterName;        // also names the filter in messages
    std::string picturePath;       // the shared picture file
    std::int32_t width = 0;
    std::int32_t height = 0;
    // No mask travels: the filter runs as over a picture without a selection.
    bool everythingSelected = false;
    FilterRunOptions options;
};

enum class RunStatus : std::uint8_t { Finished = 0, Cancelled = 1, Failed = 2 };

struct RunOutcome {
    RunOutcome(RunStatus s = RunStatus::Finished, std::string text = {}) : status(s), errorText(std::move(text)) {}
    RunStatus status = RunStatus::Finished;
    std::string errorText;  // the message the user sees when Failed
    FilterSettings settings;  // what a finished run left, for keeping
    // Failed because of the runner itself (it crashed, hung, was ended or
    // broke the protocol), not the filter's own error: what it left in the
    // shared picture cannot be trusted. Never sent.
    bool runnerFault = false;
};

Message encode(const RunRequest& r);
RunRequest decodeRunRequest(const Message& m);
Message encode(const RunOutcome& o);
RunOutcome decodeRunOutcome(const Message& m);
Message encode(MessageType type, const ColorRequest& c);
ColorRequest decodeColorRequest(const Message& m);
Message encodeProgress(std::int32_t done, std::int32_t total);
Message encodeAbortAnswer(bool abort);
Message encodeReady(const std::string& description);
Message encodeEmpty(MessageType type);

bool is(const Message& m, MessageType t);

}  // namespace mugwarp::filterproc
