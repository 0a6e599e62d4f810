#include "filterrunner/host_executor.h"

#include <exception>
#include <map>
#include <memory>
#include <vector>

#include "pshost/module_library.h"
#include "pshost/photoshop_error.h"
#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"
#include "filterrunner/dialog_support.h"
#include "filterrunner/module_path.h"
#include "filterrunner/replay_guard.h"

namespace mugwarp::filterrunner {

namespace {

using filterproc::RunOutcome;
using filterproc::RunStatus;

// The in-process filter host, fed from the shared picture; the filter's
// questions go straight to the editor's end of the session.
class HostExecutor : public filterproc::FilterExecutor {
public:
    RunOutcome run(const filterproc::RunRequest& r, const filterproc::SharedPictureViews& v,
                   FilterRunClient& editor) override {
        PIPLManager* entry = entryFor(r);
        if (!entry)
            return {RunStatus::Failed, "The filter module " + r.modulePath + " has no filter '" + r.filterName + "'."};
        const PixelsView picture{v.picture, r.width, r.height, r.width};
        const MaskView mask{v.mask, r.width, r.height, r.width};
        host_.setClient(&editor);
        host_.setPicture(picture);
        host_.setMask(r.everythingSelected ? nullptr : &mask);
        prepareDialogs(r.options.parentWindow);
        host_.setPlatformWindow(platformWindowFor(r.options.parentWindow));
        host_.options = r.options;
        RunOutcome outcome;
        try {
            keepLoaded(entry->fileName);
            host_.openModule(*entry);
            const ReplayGuard guard(r.options.repeat || !r.options.showDialog);
            outcome.status = host_.execute() ? RunStatus::Finished : RunStatus::Cancelled;
            if (outcome.status == RunStatus::Finished) outcome.settings = host_.lastSettings();
        } catch (const std::exception& e) {
            outcome = {RunStatus::Failed, e.what()};
        }
        host_.closeModule();
        host_.setClient(nullptr);
        return outcome;
    }

private:
    // Entries are read once per module and kept, so each keeps its data word
    // for the runner's lifetime.
    PIPLManager* entryFor(const filterproc::RunRequest& r) {
        auto found = entriesByModule_.find(r.modulePath);
        if (found == entriesByModule_.end()) {
            const int before = modules_.count();
            modules_.addModule(localModulePath(r.modulePath));
            std::vector<PIPLManager*> entries;
            for (int i = before; i < modules_.count(); ++i) entries.push_back(&modules_.item(i));
            found = entriesByModule_.emplace(r.modulePath, std::move(entries)).first;
        }
        for (PIPLManager* e : found->second)
            if (e->getName() == r.filterName && e->getCategory() == r.category) return e;
        return nullptr;
    }

    // A module run once stays loaded for the session, as its entries do: the
    // host still opens and releases it around each run, but the loader keeps
    // it, so a later run neither maps it again nor runs its start-up code
    // (which under Wine costs about a millisecond, more than the run of a
    // simple filter). A module that cannot be loaded is left to the host to
    // report.
    void keepLoaded(const std::string& path) {
        if (loaded_.count(path)) return;
        auto module = std::make_unique<ModuleLibrary>();
        if (module->open(path)) loaded_.emplace(path, std::move(module));
    }

    PSPluginList modules_;
    std::map<std::string, std::vector<PIPLManager*>> entriesByModule_;
    std::map<std::string, std::unique_ptr<ModuleLibrary>> loaded_;
    PSFilterHost host_;
};

}  // namespace

std::unique_ptr<filterproc::FilterExecutor> makeHostExecutor() { return std::make_unique<HostExecutor>(); }

}  // namespace mugwarp::filterrunner
