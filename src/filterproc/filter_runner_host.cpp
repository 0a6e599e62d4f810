#include "filterproc/filter_runner_host.h"

#include <cstring>
#include <optional>

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

std::shared_ptr<PixelStorage> FilterRunnerHost::pictureStorage(const PIPLManager& entry, int width, int height,
                                                               const PixelStorage* current, const Argb* pixels) {
    return runners_.runnerFor(runnerKindFor(entry.moduleKind)).pictureStorage(width, height, current, pixels);
}

void FilterRunnerHost::startRunnerEarly(const PIPLManager& entry) {
    if (whyCannotRun(entry).empty()) runners_.runnerFor(runnerKindFor(entry.moduleKind)).startEarly();
}

bool FilterRunnerHost::execute(const PIPLManager& entry) {
    const std::string name = entry.getName();
    if (const std::string problem = moduleProblem(entry, runners_.windowsLibraries(entry.moduleKind)); !problem.empty())
        throw PhotoshopError("The filter '" + name + "' cannot run: " + problem);
    FilterRunnerClient& runner = runners_.runnerFor(runnerKindFor(entry.moduleKind));

    const int w = picture_.width, h = picture_.height;
    std::optional<SharedPictureViews> inPlace;
    if (!mask_ && picture_.stride == w) inPlace = runner.pictureInPlace(picture_.pixels, w, h);
    const SharedPictureViews shared = inPlace ? *inPlace : runner.preparePicture(w, h, mask_ != nullptr);
    if (!inPlace) {
        for (int y = 0; y < h; ++y) {
            std::memcpy(shared.picture + std::size_t(y) * w, picture_.row(y), std::size_t(w) * 4);
            if (mask_) std::memcpy(shared.mask + std::size_t(y) * w, mask_->row(y), std::size_t(w));
        }
    }
    RunRequest request;
    request.modulePath = entry.fileName;
    request.category = entry.getCategory();
    request.filterName = name;
    request.options = options;
    lastSettings_ = {};

    FilterRunClient quiet;
    const RunOutcome outcome = runner.run(request, client_ ? *client_ : quiet);
    if (outcome.runnerFault) throw RunnerFault(outcome.errorText);
    // The filter's own error keeps the rectangles it wrote, as in the process.
    // Read from the file, not the mapping: a module's thread left running
    // could still shorten the file after its size was checked.
    if (!inPlace && !runner.readPictureBack(picture_))
        throw RunnerFault("The filter '" + name + "' broke off its run (the shared picture file was shortened).");
    if (outcome.status == RunStatus::Failed) throw PhotoshopError(outcome.errorText);
    lastSettings_ = outcome.settings;
    return outcome.status == RunStatus::Finished;
}

}  // namespace mugwarp::filterproc
