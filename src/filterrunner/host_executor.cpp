#include "filterrunner/host_executor.h"

#include <exception>
#include <map>
#include <vector>

#include "pshost/photoshop_error.h"
#include "pshost/plugin_list.h"
#include "pshost/ps_filter_host.h"
#include "filterrunner/dialog_support.h"
#include "filterrunner/module_path.h"

namespace mugwarp::filterrunner {

namespace {

using filterproc::RunOutcome;
using filterproc::RunStatus;

// The in-process filter host, fed from the shared picture, with its client
// forwarding every question to the editor.
class HostExecutor : public filterproc::FilterExecutor, private FilterHostClient {
public:
    RunOutcome run(const filterproc::RunRequest& r, const filterproc::SharedPictureViews& v,
                   filterproc::RunnerCallbacks& callbacks) override {
        PIPLManager* entry = entryFor(r);
        if (!entry)
            return {RunStatus::Failed, "The filter module " + r.modulePath + " has no filter '" + r.filterName + "'."};
        const PixelsView picture{v.picture, r.width, r.height, r.width};
        const PixelsView unfiltered{v.unfiltered, r.width, r.height, r.width};
        const MaskView mask{v.mask, r.width, r.height, r.width};
        callbacks_ = &callbacks;
        host_.setClient(this);
        host_.setPicture(picture, unfiltered);
        host_.setMask(r.haveMask ? &mask : nullptr);
        prepareDialogs(r.parentWindow);
        host_.setPlatformWindow(platformWindowFor(r.parentWindow));
        host_.foreColor = r.foreColor;
        host_.backColor = r.backColor;
        host_.displayOutput = r.displayOutput;
        host_.filterCase = r.filterCase;
        host_.executeLastFilter = r.repeat;
        RunOutcome outcome;
        try {
            host_.openModule(*entry);
            outcome.status = host_.execute() ? RunStatus::Finished : RunStatus::Cancelled;
        } catch (const std::exception& e) {
            outcome = {RunStatus::Failed, e.what()};
        }
        host_.closeModule();
        callbacks_ = nullptr;
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

    void progress(std::int32_t done, std::int32_t total) override { callbacks_->progress(done, total); }
    bool testAbort() override { return callbacks_->testAbort(); }
    void colorServices(abi::ColorServicesInfo& info) override {
        filterproc::ColorRequest c;
        c.selector = info.selector;
        for (int i = 0; i < 4; ++i) c.components[i] = info.colorComponents[i];
        callbacks_->colorServices(c);
        for (int i = 0; i < 4; ++i) info.colorComponents[i] = c.components[i];
    }

    PSPluginList modules_;
    std::map<std::string, std::vector<PIPLManager*>> entriesByModule_;
    PSFilterHost host_;
    filterproc::RunnerCallbacks* callbacks_ = nullptr;
};

}  // namespace

std::unique_ptr<filterproc::FilterExecutor> makeHostExecutor() { return std::make_unique<HostExecutor>(); }

}  // namespace mugwarp::filterrunner
