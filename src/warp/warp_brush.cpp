#include "warp/warp_brush.h"

#include <algorithm>
#include <cmath>

namespace mugwarp {

namespace {

float clampTo(double value, double low, double high) { return static_cast<float>(std::clamp(value, low, high)); }

// Shape of the fall-off at distance d from the centre, before feather and
// pressure: 1 - d for pinch 0, a plateau towards pinch 1, a spike towards -1.
float pinchProfile(float d, float pinch) {
    if (d <= -1.0f || d >= 1.0f) return 0.0f;
    if (pinch == 1.0f) return 1.0f;
    if (pinch == -1.0f) return std::nearbyint(static_cast<double>(d) * 65536.0) == 0.0 ? 1.0f : 0.0f;
    const float e = pinch > 0.0f ? static_cast<float>(1.0 / (1.0 - static_cast<double>(pinch)))
                                 : static_cast<float>(1.0 + static_cast<double>(pinch));
    // At pinch 0 (the default) e is 1 and both powers are the identity.
    const auto power = [](double base, double exponent) { return exponent == 1.0 ? base : std::pow(base, exponent); };
    const double inner = std::fabs(1.0 - std::fabs(power(static_cast<double>(d), static_cast<double>(e))));
    return static_cast<float>(power(inner, 1.0 / static_cast<double>(e)));
}

float featherProfile(float d, float feather) {
    if (feather <= 0.0f) return 1.0f;
    const float f = static_cast<float>((1.0 - static_cast<double>(d)) * static_cast<double>(static_cast<float>(1.0 / feather)));
    return std::clamp(f, 0.0f, 1.0f);
}

}  // namespace

void WarpBrush::setPressure(double value) { pressure_ = clampTo(value, 0.0, 1.0); }
void WarpBrush::setPinch(double value) { pinch_ = clampTo(value, -1.0, 1.0); }
void WarpBrush::setFeather(double value) { feather_ = clampTo(value, 0.0, 1.0); }

float WarpBrush::weight(float x, float y) const {
    const float d = static_cast<float>(std::sqrt(static_cast<double>(x) * x + static_cast<double>(y) * y));
    const float p = pinchProfile(d, pinch_);
    const float f = featherProfile(d, feather_);
    const float fp = f * p;
    const float w = fp * pressure_;
    return std::clamp(w, 0.0f, 1.0f);
}

}  // namespace mugwarp
