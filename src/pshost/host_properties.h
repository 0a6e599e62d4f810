#pragma once
#include <cstdint>

#include "pshost/filter_abi.h"

namespace mugwarp {

// What the property procedures answer for the picture a filter runs over.
// Settable values (the big nudge) live here for the session.
class HostProperties {
public:
    void setPictureSize(int width, int height) {
        width_ = width;
        height_ = height;
    }
    // Simple values into *simple, strings and other blocks as a new handle
    // into *complex (the filter disposes of it). Keys we do not know are
    // logged (see logUnserved) and answered -30900, the pointers untouched.
    abi::OSErr get(abi::OSType key, std::int32_t index, std::intptr_t* simple, abi::Handle* complex) const;
    abi::OSErr set(abi::OSType key, std::int32_t index, std::intptr_t simple, abi::Handle complex);

private:
    int width_ = 0;
    int height_ = 0;
    abi::Fixed bigNudgeH_ = 10 << 16;  // pixels, 16.16
    abi::Fixed bigNudgeV_ = 10 << 16;
};

}  // namespace mugwarp
