// A runner with scripted "filters" chosen by name, to drive the editor's side
// of the protocol through every path without real modules.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <cstdlib>
#include <string>
#include <vector>

#include "filterproc/fd_channel_posix.h"
#include "filterproc/runner_session.h"

using namespace mugwarp::filterproc;

namespace {

// Breaks the protocol on purpose; the run that follows never gets its outcome.
void sendMalformed(ByteChannel& channel, const std::string& how) {
    if (how == "Oversized") {
        const std::uint32_t head[2] = {static_cast<std::uint32_t>(MessageType::Progress), kMaxPayload + 1};
        channel.writeAll(head, sizeof head);
    } else if (how == "ZeroTotal") {
        writeMessage(channel, encodeProgress(0, 0));
    } else if (how == "NegativeTotal") {
        writeMessage(channel, encodeProgress(1, -5));
    } else if (how == "UnknownType") {
        writeMessage(channel, Message{77, {1, 2, 3}});
    } else if (how == "ShortProgress") {
        writeMessage(channel, Message{static_cast<std::uint32_t>(MessageType::Progress), {1, 0, 0}});
    }
    for (;;) ::pause();  // ended by the editor
}

class ScriptedExecutor : public FilterExecutor {
public:
    explicit ScriptedExecutor(ByteChannel& channel) : channel_(channel) {}

    RunOutcome run(const RunRequest& r, const SharedPictureViews& v, mugwarp::FilterRunClient& cb) override {
        const std::size_t n = std::size_t(r.width) * std::size_t(r.height);
        std::string f = r.filterName;
        ++runs_;
        const std::vector<std::uint32_t> before(v.picture, v.picture + n);  // what a cancel restores
        // Half the picture written first, as a filter caught midway leaves it.
        const std::string scribble = "Scribble, then ";
        if (f.rfind(scribble, 0) == 0) {
            std::fill(v.picture, v.picture + n / 2, 0x12345678u);
            f.erase(0, scribble.size());
        }
        if (f == "Invert") {
            cb.progress(0, 1);
            for (std::size_t i = 0; i < n; ++i)
                if (!v.mask || v.mask[i]) v.picture[i] ^= 0x00FFFFFFu;
            cb.progress(1, 1);
        } else if (f == "Ask") {
            // Tests for a few seconds, as a filter working through rows does.
            for (int i = 0; i < 2000; ++i) {
                if (cb.testAbort()) return {RunStatus::Cancelled, {}};
                ::usleep(1000);
            }
        } else if (f == "Colour") {
            mugwarp::ColorRequest c;
            c.components = {1, 2, 3, 4};
            cb.colorServices(c);
            v.picture[0] = std::uint32_t(c.components[0]) << 16 | std::uint32_t(c.components[1]) << 8 | c.components[2];
        } else if (f == "Runs") {
            v.picture[0] = runs_;
        } else if (f == "Crash") {
            ::raise(SIGSEGV);
        } else if (f == "Exit") {
            std::exit(3);
        } else if (f == "Hang") {
            for (;;) ::pause();
        } else if (f == "AskQuickly") {
            for (int i = 0; i < 1000; ++i)
                if (cb.testAbort()) return {RunStatus::Cancelled, {}};
        } else if (f == "HangAsking") {
            for (;;) cb.testAbort();
        } else if (f == "Garbage") {
            ::write(1, "garbage!garbage!", 16);
        } else if (f == "Oversized" || f == "ZeroTotal" || f == "NegativeTotal" || f == "UnknownType" ||
                   f == "ShortProgress") {
            v.picture[0] = 0xDEADBEEF;
            sendMalformed(channel_, f);
        } else if (f == "Shrink" || f == "Grow") {
            // A finished run over a file the editor can no longer map in full.
            v.picture[0] = 0xDEADBEEF;
            if (::truncate(r.picturePath.c_str(), f == "Shrink" ? 4096 : 1 << 24) != 0) std::abort();
        } else if (f == "Error") {
            return {RunStatus::Failed, "The filter gave up."};
        } else if (f == "Cancel") {
            std::copy(before.begin(), before.end(), v.picture);
            return {RunStatus::Cancelled, {}};
        } else if (f == "Allocate") {
            std::vector<void*> blocks;
            for (;;) {
                void* p = std::malloc(64 << 20);
                if (!p) return {RunStatus::Failed, "out of memory after " + std::to_string(blocks.size() * 64) + " MB"};
                static_cast<char*>(p)[0] = 1;
                blocks.push_back(p);
            }
        } else {
            return {RunStatus::Failed, "no such filter"};
        }
        return {RunStatus::Finished, {}};
    }

private:
    ByteChannel& channel_;
    std::uint32_t runs_ = 0;
};

}  // namespace

int main() {
    FdChannel channel(0, 1);
    ScriptedExecutor executor(channel);
    RunnerSession(channel, executor, openMappedFile).serve("scripted");
}
