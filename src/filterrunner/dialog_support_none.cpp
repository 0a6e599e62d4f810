#include "filterrunner/dialog_support.h"

namespace mugwarp::filterrunner {

// Windows modules (and a runner built without Qt) show their dialogs themselves.
void prepareDialogs(std::uint64_t) {}

}  // namespace mugwarp::filterrunner
