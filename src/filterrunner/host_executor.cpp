#include "filterrunner/host_executor.h"

namespace mugwarp::filterrunner {

namespace {

class UnavailableExecutor : public filterproc::FilterExecutor {
public:
    filterproc::RunOutcome run(const filterproc::RunRequest&, const filterproc::SharedPictureViews&,
                               filterproc::RunnerCallbacks&) override {
        return {filterproc::RunStatus::Failed, "This runner has no filter host."};
    }
};

}  // namespace

std::unique_ptr<filterproc::FilterExecutor> makeHostExecutor() { return std::make_unique<UnavailableExecutor>(); }

}  // namespace mugwarp::filterrunner
