#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "filterproc/runner_setup.h"
#include "pshost/filter_host_client.h"
#include "pshost/image_views.h"
#include "pshost/pipl_manager.h"

namespace mugwarp::filterproc {

// Runs a discovered filter the way the in-process host does, but inside the
// runner for its module kind, so a faulty module cannot take the caller down.
//
// Use:   host.setPicture(picture)        // the filter reads it as it is now
//        host.setMask(&mask)             // or nullptr: no selection
//        host.executeLastFilter = repeat;
//        bool finished = host.execute(entry);
//
// Finished or cancelled (false; the picture is then as before), the picture
// holds the runner's result. Any failure (the filter's error, a crash, a hang,
// a runner that cannot start) throws PhotoshopError with the message for the
// user and leaves the picture untouched.
class FilterRunnerHost {
public:
    explicit FilterRunnerHost(FilterRunners& runners) : runners_(runners) {}

    void setClient(FilterHostClient* client) { client_ = client; }
    void setPicture(const PixelsView& picture) { picture_ = picture; }
    void setMask(const MaskView* mask) { mask_ = mask; }
    // The editor's window for a filter's own dialog; 0 when there is no display.
    void setPlatformWindow(std::uint64_t window) { window_ = window; }
    // Called before a slow runner (Wine) starts, with the text to show meanwhile.
    void setRunnerStartingHandler(std::function<void(const std::string&)> handler) {
        onRunnerStarting_ = std::move(handler);
    }

    // Whether a module of this kind can run here; otherwise what is missing.
    std::string whyCannotRun(ModuleKind kind) const;
    bool execute(const PIPLManager& entry);

    std::uint32_t foreColor = 0;
    std::uint32_t backColor = 0;
    bool displayOutput = false;
    bool executeLastFilter = false;
    int filterCase = 3;

private:
    FilterRunners& runners_;
    FilterHostClient* client_ = nullptr;
    PixelsView picture_;
    const MaskView* mask_ = nullptr;
    std::uint64_t window_ = 0;
    std::function<void(const std::string&)> onRunnerStarting_;
};

}  // namespace mugwarp::filterproc
