#pragma once

namespace mugwarp::filterrunner {

// While a filter runs without its dialog (a repeat, a replay of saved
// settings) no window of its own may come up: there may be no one to answer
// it, and a batch would wait for ever. Where windows can be watched (under
// Wine), the first one the filter shows ends the runner at once with
// filterproc::kExitAskedForDialog, which the editor reports as such; the
// picture it filters in place is then given back as it was.
class ReplayGuard {
public:
    explicit ReplayGuard(bool active);
    ~ReplayGuard();
    ReplayGuard(const ReplayGuard&) = delete;
    ReplayGuard& operator=(const ReplayGuard&) = delete;

private:
    void* hook_ = nullptr;
};

}  // namespace mugwarp::filterrunner
