// The resource directory reader of Windows modules, on any bytes.
#include "fuzz_input.h"
#include "pshost/module_resources.h"

MUGWARP_FUZZ_TARGET(bytes) { (void)mugwarp::readPeResources(bytes); }
