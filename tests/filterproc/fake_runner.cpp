// A runner with scripted "filters" chosen by name, to drive the editor's side
// of the protocol through every path without real modules.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "filterproc/fd_channel_posix.h"
#include "filterproc/runner_session.h"

using namespace mugwarp::filterproc;

namespace {

class ScriptedExecutor : public FilterExecutor {
public:
    RunOutcome run(const RunRequest& r, const SharedPictureViews& v, mugwarp::FilterRunClient& cb) override {
        const std::size_t n = std::size_t(r.width) * std::size_t(r.height);
        const std::string& f = r.filterName;
        ++runs_;
        if (f == "Invert") {
            cb.progress(0, 1);
            for (std::size_t i = 0; i < n; ++i)
                v.picture[i] = v.mask[i] ? (v.unfiltered[i] ^ 0x00FFFFFFu) : v.unfiltered[i];
            cb.progress(1, 1);
        } else if (f == "Ask") {
            for (int i = 0; i < 100; ++i)
                if (cb.testAbort()) return {RunStatus::Cancelled, {}};
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
        } else if (f == "HangAsking") {
            for (;;) cb.testAbort();
        } else if (f == "Garbage") {
            ::write(1, "garbage!garbage!", 16);
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
    std::uint32_t runs_ = 0;
};

}  // namespace

int main() {
    FdChannel channel(0, 1);
    ScriptedExecutor executor;
    RunnerSession(channel, executor, openMappedFile).serve("scripted");
}
