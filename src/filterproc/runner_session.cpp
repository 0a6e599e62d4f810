#include "filterproc/runner_session.h"

#include <exception>

namespace mugwarp::filterproc {

namespace {

// The editor watches for the user's Escape on its own while a filter runs, so
// a filter that tests every few rows need not wait for a round trip each
// time: an answer "go on" stands this long (the first test of a run always
// asks, so a run begun after Escape stops at once).
constexpr std::chrono::milliseconds kGoOnLifetime{20};

}  // namespace

RunnerSession::RunnerSession(ByteChannel& channel, FilterExecutor& executor, MappedFileOpener opener)
    : channel_(channel), executor_(executor), opener_(std::move(opener)) {}

void RunnerSession::serve(const std::string& description) {
    writeMessage(channel_, encodeReady(description));
    for (;;) {
        Message m;
        try {
            m = readMessage(channel_);
            if (is(m, MessageType::Quit)) return;
            if (!is(m, MessageType::Run)) throw ProtocolError("unexpected message " + std::to_string(m.type));
            handleRun(m);
        } catch (const ChannelClosed&) {
            return;  // the editor went away: nothing left to serve
        }
    }
}

void RunnerSession::handleRun(const Message& m) {
    const RunRequest request = decodeRunRequest(m);
    goOnSince_.reset();
    RunOutcome outcome;
    try {
        const SharedPictureLayout layout(request.width, request.height, !request.everythingSelected);
        if (!picture_ || picture_->path() != request.picturePath || picture_->size() < layout.totalBytes()) {
            picture_.reset();
            picture_ = opener_(request.picturePath, layout.totalBytes());
        }
        const SharedPictureViews views = viewsOf(*picture_, layout);
        outcome = executor_.run(request, views, *this);
    } catch (const ChannelClosed&) {
        throw;
    } catch (const ProtocolError&) {
        throw;
    } catch (const std::exception& e) {
        outcome = {RunStatus::Failed, e.what()};
    }
    if (lost_) throw ChannelClosed();
    writeMessage(channel_, encode(outcome));
}

// The callbacks run inside module code, which exceptions must not cross: a
// lost editor turns into "abort" for the filter and ends the session after
// the run has unwound.
void RunnerSession::progress(std::int32_t done, std::int32_t total) {
    // A filter's report without a total says nothing, and the editor takes one
    // as a broken runner.
    if (lost_ || total < 1) return;
    try {
        writeMessage(channel_, encodeProgress(done, total));
    } catch (const std::exception&) {
        lost_ = true;
    }
}

bool RunnerSession::testAbort() {
    if (lost_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (goOnSince_ && now - *goOnSince_ < kGoOnLifetime) return false;
    try {
        writeMessage(channel_, encodeEmpty(MessageType::TestAbort));
        const Message answer = readMessage(channel_);
        if (is(answer, MessageType::AbortAnswer)) {
            const bool abort = MessageParser(answer).u8() != 0;
            if (!abort) goOnSince_ = now;
            return abort;
        }
    } catch (const std::exception&) {
    }
    lost_ = true;
    return true;
}

void RunnerSession::colorServices(ColorRequest& request) {
    if (lost_) return;
    try {
        writeMessage(channel_, encode(MessageType::ColorServices, request));
        const Message answer = readMessage(channel_);
        if (is(answer, MessageType::ColorAnswer)) {
            request = decodeColorRequest(answer);
            return;
        }
    } catch (const std::exception&) {
    }
    lost_ = true;
}

}  // namespace mugwarp::filterproc
