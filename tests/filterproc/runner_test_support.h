#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "filterproc/filter_runner_host.h"
#include "pshost/plugin_list.h"

namespace mugwarp::test {

struct TestPicture {
    int width, height;
    std::vector<std::uint32_t> pixels;
    // Opaque, varied colours; the same for the same size.
    TestPicture(int w, int h);
    PixelsView view() { return {pixels.data(), width, height, width}; }
};

// Answers the filter's questions as a scripted user would.
struct ScriptedClient : FilterRunClient {
    std::vector<std::pair<int, int>> progressSeen;
    bool pressEscape = false;            // every abort test says "stop"
    std::int16_t chosenColour[3] = {0, 0, 0};
    bool colourAsked = false;
    void progress(std::int32_t done, std::int32_t total) override { progressSeen.emplace_back(done, total); }
    bool testAbort() override { return pressEscape; }
    void colorServices(ColorRequest& request) override;
};

// Runs entry over picture in the process (the previous path, as the oracle).
bool runInProcess(PIPLManager& entry, TestPicture& picture, FilterRunClient* client = nullptr, bool repeat = false);
// The same through a runner; a full selection mask, as the editor passes.
bool runInRunner(filterproc::FilterRunnerHost& host, const PIPLManager& entry, TestPicture& picture,
                 FilterRunClient* client = nullptr, bool repeat = false);

PIPLManager& entryNamed(PSPluginList& list, const std::string& name);

// What the settings probe filters make of picture with an amount: every
// channel plus the amount, green then inverted for an odd amount.
std::vector<std::uint32_t> probeResult(const TestPicture& picture, int amount);

// A settings probe recorded in a dialog run (the colour chosen there is the
// amount), then replayed without the dialog from what the run left, with
// another colour ready in case the dialog wrongly showed again; with
// replayHost the replay is made there (a runner of its own, as a later
// session or a batch has it).
struct RecordedProbe {
    std::vector<std::uint32_t> recorded, replayed;
    FilterSettings settings;
};
RecordedProbe recordAndReplay(filterproc::FilterRunnerHost& host, const PIPLManager& probe, int amount,
                              filterproc::FilterRunnerHost* replayHost = nullptr);

// Runners that end a hanging filter quickly.
filterproc::FilterRunners& testRunners();
// The build's runners with the Wine prefix given.
filterproc::RunnerLocations testRunnerLocations(const std::string& winePrefix);

// A TCP port listening on 127.0.0.1 for the object's lifetime, for probes
// that try to reach it; throws when none can be had.
class LoopbackListener {
public:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// What the "Reach Out" filter (modules/reach_out_filter.cpp) managed in a
// runner of its own, with a port listening on 127.0.0.1 and $HOME in a fresh
// folder; and the confinement its runner had.
struct ReachOutResult {
    bool connected = false;
    bool wroteHome = false;
    unsigned confinement = 0;
};
ReachOutResult reachOut(const PIPLManager& entry, bool confined);

}  // namespace mugwarp::test
