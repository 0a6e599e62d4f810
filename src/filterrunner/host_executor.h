#pragma once
#include <memory>

#include "filterproc/runner_session.h"

namespace mugwarp::filterrunner {

// The filter host running inside a runner: one per runner process, so the
// modules' data words and the kept parameter block live as long as it does.
std::unique_ptr<filterproc::FilterExecutor> makeHostExecutor();

}  // namespace mugwarp::filterrunner
