#pragma once
#include <algorithm>

namespace mugwarp {

// Integer rectangle, right and bottom exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr Rect intersected(const Rect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    constexpr Rect united(const Rect& o) const {
        if (isEmpty()) return o;
        if (o.isEmpty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// The rectangle of a width x height block with its top-left corner at (x, y),
// edges clamped to the int range so that far-off positions cannot overflow.
constexpr int clampToInt(long long v) {
    return static_cast<int>(v < -2147483647LL - 1 ? -2147483647LL - 1 : (v > 2147483647LL ? 2147483647LL : v));
}
constexpr Rect placedRect(long long x, long long y, long long width, long long height) {
    return {clampToInt(x), clampToInt(y), clampToInt(x + width), clampToInt(y + height)};
}

struct FloatRect {
    float left = 0, top = 0, right = 0, bottom = 0;
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    friend constexpr bool operator==(const FloatRect&, const FloatRect&) = default;
};

}  // namespace mugwarp
