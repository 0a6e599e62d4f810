#pragma once
#include <cstddef>

#include "raster/color.h"

namespace mugwarp {

// Memory a surface's pixels can live in instead of a block of its own: the
// picture shared with a filter runner, which then reads and writes the
// displayed pixels where they are. Whoever makes it keeps it valid for as long
// as a surface holds it.
class PixelStorage {
public:
    virtual ~PixelStorage() = default;
    virtual Argb* pixels() = 0;
    // How many pixels fit.
    virtual std::size_t capacity() const = 0;
};

}  // namespace mugwarp
