#include "filterproc/filter_runner_host.h"

#include <cstring>

#include "pshost/photoshop_error.h"

namespace mugwarp::filterproc {

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
    request.options = options;

    FilterRunClient quiet;
    const RunOutcome outcome = runner.run(request, client_ ? *client_ : quiet);
    if (outcome.status == RunStatus::Failed) throw PhotoshopError(outcome.errorText);
    for (int y = 0; y < h; ++y) std::memcpy(picture_.row(y), shared.picture + std::size_t(y) * w, std::size_t(w) * 4);
    return outcome.status == RunStatus::Finished;
}

}  // namespace mugwarp::filterproc
