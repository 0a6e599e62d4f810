// A filter's scripting parameters as they arrive from a runner or a settings
// file. What parses must write back to bytes that parse and write back the
// same (bytes, not values: a NaN is not equal to itself).
#include <cstdlib>

#include "fuzz_input.h"
#include "pshost/descriptor.h"

MUGWARP_FUZZ_TARGET(bytes) {
    const auto descriptor = mugwarp::parseDescriptor(bytes);
    if (!descriptor) return;
    const auto written = descriptor->toBytes();
    const auto again = mugwarp::parseDescriptor(written);
    if (!again || again->toBytes() != written) std::abort();
}
