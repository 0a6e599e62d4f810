#include "pshost/image_services.h"

#include <algorithm>
#include <cstdint>

namespace mugwarp {

namespace {

struct Plane {
    const abi::PSImagePlane& p;
    int top() const { return p.bounds.top; }
    int left() const { return p.bounds.left; }
    int bottom() const { return p.bounds.bottom; }
    int right() const { return p.bounds.right; }
    std::uint8_t* at(int y, int x) const {
        return static_cast<std::uint8_t*>(p.data) + std::ptrdiff_t(y - top()) * p.rowBytes +
               std::ptrdiff_t(x - left()) * p.colBytes;
    }
    // The source pixel nearest (y, x), the edge repeated outside.
    int sample(std::int64_t y, std::int64_t x) const {
        return *at(int(std::clamp<std::int64_t>(y, top(), bottom() - 1)),
                   int(std::clamp<std::int64_t>(x, left(), right() - 1)));
    }
};

bool usable(const abi::PSImagePlane* plane) {
    return plane && plane->data && plane->bounds.bottom > plane->bounds.top &&
           plane->bounds.right > plane->bounds.left && plane->colBytes > 0 && plane->rowBytes != 0;
}

std::uint8_t resample(const Plane& source, abi::Fixed v, abi::Fixed h, bool nearest) {
    if (nearest) return std::uint8_t(source.sample((std::int64_t(v) + 0x8000) >> 16, (std::int64_t(h) + 0x8000) >> 16));
    const std::int64_t y = std::int64_t(v) >> 16, x = std::int64_t(h) >> 16;
    const std::int64_t fy = v & 0xFFFF, fx = h & 0xFFFF;
    const std::int64_t top = source.sample(y, x) * (0x10000 - fx) + source.sample(y, x + 1) * fx;
    const std::int64_t bottom = source.sample(y + 1, x) * (0x10000 - fx) + source.sample(y + 1, x + 1) * fx;
    return std::uint8_t((top * (0x10000 - fy) + bottom * fy + (std::int64_t(1) << 31)) >> 32);
}

abi::OSErr interpolate(abi::PSImagePlane* source, abi::PSImagePlane* destination, abi::Rect16* area,
                       abi::Fixed* coords, std::int16_t method, bool twoD) {
    if (!usable(source) || !usable(destination) || !area || !coords) return abi::kParamErr;
    const abi::Rect16& a = *area;
    const abi::Rect16& d = destination->bounds;
    if (a.top < d.top || a.left < d.left || a.bottom > d.bottom || a.right > d.right) return abi::kParamErr;
    const Plane from{*source}, to{*destination};
    const abi::Fixed* c = coords;
    for (int y = a.top; y < a.bottom; ++y) {
        for (int x = a.left; x < a.right; ++x) {
            const abi::Fixed v = twoD ? *c++ : abi::Fixed(y) << 16;
            const abi::Fixed h = *c++;
            *to.at(y, x) = resample(from, v, h, method == 0);
        }
    }
    return abi::kNoErr;
}

}  // namespace

abi::OSErr interpolate1D(abi::PSImagePlane* source, abi::PSImagePlane* destination, abi::Rect16* area,
                         abi::Fixed* coords, std::int16_t method) {
    return interpolate(source, destination, area, coords, method, false);
}

abi::OSErr interpolate2D(abi::PSImagePlane* source, abi::PSImagePlane* destination, abi::Rect16* area,
                         abi::Fixed* coords, std::int16_t method) {
    return interpolate(source, destination, area, coords, method, true);
}

}  // namespace mugwarp
