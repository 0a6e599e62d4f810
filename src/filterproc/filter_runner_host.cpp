#include "filterproc/filter_runner_host.h"

#include <cstring>

#include "pshost/photoshop_error.h"

namespace mugwarp::filterproc {

std::string FilterRunnerHost::whyCannotRun(ModuleKind kind) const {
    return runners_.runnerFor(runnerKindFor(kind)).missingPart();
}

std::string FilterRunnerHost::whyCannotRun(const PIPLManager& entry) const {
    if (entry.dotNetAssembly) return moduleProblem(entry, runners_.windowsLibraries(entry.moduleKind));
    std::string why = whyCannotRun(entry.moduleKind);
    if (why.empty()) why = moduleProblem(entry, runners_.windowsLibraries(entry.moduleKind));
    return why;
}

bool FilterRunnerHost::execute(const PIPLManager& entry) {
    const std::string name = entry.getName();
    if (const std::string problem = moduleProblem(entry, runners_.windowsLibraries(entry.moduleKind)); !problem.empty())
        throw PhotoshopError("The filter '" + name + "' cannot run: " + problem);
    FilterRunnerClient& runner = runners_.runnerFor(runnerKindFor(entry.moduleKind));

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
    request.options = options;
    lastSettings_ = {};

    FilterRunClient quiet;
    const RunOutcome outcome = runner.run(request, client_ ? *client_ : quiet);
    if (outcome.status == RunStatus::Failed) throw PhotoshopError(outcome.errorText);
    lastSettings_ = outcome.settings;
    for (int y = 0; y < h; ++y) std::memcpy(picture_.row(y), shared.picture + std::size_t(y) * w, std::size_t(w) * 4);
    return outcome.status == RunStatus::Finished;
}

}  // namespace mugwarp::filterproc
