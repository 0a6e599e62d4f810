#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "raster/platform_bitmap.h"

namespace mugwarp {

// Converts a 32-bit bitmap whose colours are in the embedded ICC profile to
// sRGB (perceptual intent, alpha untouched). A profile that is the sRGB one
// already leaves the pixels alone. Returns an empty string when done, or the
// note to show when the profile cannot be used (damaged, or not an RGB or
// grey display profile): the pixels then stay as they were, never a refusal.
std::string convertToSrgb(PlatformBitmap& bitmap, std::span<const std::uint8_t> iccProfile);

// The sRGB profile as ICC bytes, for files that can say what their colours are.
const std::vector<std::uint8_t>& srgbProfileBytes();

}  // namespace mugwarp
