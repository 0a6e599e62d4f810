#include "app/zoom.h"

#include <algorithm>

namespace mugwarp {

int clampZoom(int percent) { return std::clamp(percent, Zoom::kMinimum, Zoom::kMaximum); }

QSize zoomedViewSize(QSize pictureSize, int percent) {
    const auto scaled = [percent](int length) {
        return static_cast<int>(static_cast<double>(length) / 100.0 * percent);
    };
    return {scaled(pictureSize.width()), scaled(pictureSize.height())};
}

}  // namespace mugwarp
