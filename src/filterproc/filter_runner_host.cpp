#include "filterproc/filter_runner_host.h"

#include <cstring>

#include "pshost/photoshop_error.h"

namespace mugwarp::filterproc {

namespace {

// The host's client, seen from the runner protocol.
class ClientEvents : public RunnerEvents {
public:
    ClientEvents(FilterHostClient* client, const std::function<void(const std::string&)>& starting)
        : client_(client), starting_(starting) {}

    void runnerStarting(const std::string& message) override {
        if (starting_) starting_(message);
    }
    void progress(std::int32_t done, std::int32_t total) override {
        if (client_) client_->progress(done, total);
    }
    bool testAbort() override { return client_ && client_->testAbort(); }
    void colorServices(ColorRequest& request) override {
        if (!client_) return;
        abi::ColorServicesInfo info{};
        info.infoSize = abi::kColorServicesInfoSize;
        info.selector = request.selector;
        for (int i = 0; i < 4; ++i) info.colorComponents[i] = request.components[i];
        client_->colorServices(info);
        for (int i = 0; i < 4; ++i) request.components[i] = info.colorComponents[i];
    }
    // The editor's abort test looks at the keys pressed meanwhile (Escape), so
    // it also serves while a filter computes without asking.
    bool abortRequestedWhileWaiting() override { return testAbort(); }

private:
    FilterHostClient* client_;
    const std::function<void(const std::string&)>& starting_;
};

}  // namespace

std::string FilterRunnerHost::whyCannotRun(ModuleKind kind) const {
    switch (kind) {
    case ModuleKind::Native:
        return runners_.runnerFor(RunnerKind::Native).missingPart();
    case ModuleKind::Windows64:
        return runners_.runnerFor(RunnerKind::Windows64).missingPart();
    case ModuleKind::Windows32:
        break;
    }
    return "32-bit Windows filters cannot run here; only 64-bit ones can.";
}

bool FilterRunnerHost::execute(const PIPLManager& entry) {
    const std::string name = entry.getName();
    if (entry.moduleKind == ModuleKind::Windows32)
        throw PhotoshopError("The filter '" + name + "' is a 32-bit Windows module: " + whyCannotRun(entry.moduleKind));
    FilterRunnerClient& runner =
        runners_.runnerFor(entry.moduleKind == ModuleKind::Native ? RunnerKind::Native : RunnerKind::Windows64);

    const int w = picture_.width, h = picture_.height;
    const SharedPictureViews shared = runner.preparePicture(w, h);
    for (int y = 0; y < h; ++y) {
        std::memcpy(shared.picture + std::size_t(y) * w, picture_.row(y), std::size_t(w) * 4);
        if (mask_) std::memcpy(shared.mask + std::size_t(y) * w, mask_->row(y), std::size_t(w));
    }
    RunRequest request;
    request.modulePath = entry.fileName;
    request.category = entry.getCategory();
    request.filterName = name;
    request.haveMask = mask_ != nullptr;
    request.unfilteredFromPicture = true;
    request.repeat = executeLastFilter;
    request.displayOutput = displayOutput;
    request.parentWindow = window_;
    request.filterCase = static_cast<std::int16_t>(filterCase);
    request.foreColor = foreColor;
    request.backColor = backColor;

    ClientEvents events(client_, onRunnerStarting_);
    const RunOutcome outcome = runner.run(request, events);
    if (outcome.status == RunStatus::Failed) throw PhotoshopError(outcome.errorText);
    for (int y = 0; y < h; ++y) std::memcpy(picture_.row(y), shared.picture + std::size_t(y) * w, std::size_t(w) * 4);
    return outcome.status == RunStatus::Finished;
}

}  // namespace mugwarp::filterproc
