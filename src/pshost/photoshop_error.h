#pragma once
#include <cstdint>
#include <string>

#include "raster/error.h"

namespace mugwarp {

// A filter failed; the message is the one shown to the user.
class PhotoshopError : public Error {
public:
    using Error::Error;
};

// The user or the filter cancelled the run: the picture is restored and
// nothing is reported.
struct FilterCancelled {};

// Raises PhotoshopError with the fixed message of a negative result code, or
// FilterCancelled for a positive one and for -128; 0 passes.
void checkPluginResult(std::int16_t code);
// The fixed message of a negative result code other than -128.
std::string pluginErrorMessage(std::int16_t code);

}  // namespace mugwarp
