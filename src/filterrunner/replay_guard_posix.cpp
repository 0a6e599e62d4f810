#include "filterrunner/replay_guard.h"

namespace mugwarp::filterrunner {

// A native filter's dialog needs the Qt the runner loads only for runs that
// may show one, so a replay cannot open it in the first place.
ReplayGuard::ReplayGuard(bool) {}
ReplayGuard::~ReplayGuard() = default;

}  // namespace mugwarp::filterrunner
