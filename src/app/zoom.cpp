#include "app/zoom.h"

#include <algorithm>

namespace mugwarp {

int clampZoom(int percent) { return std::clamp(percent, Zoom::kMinimum, Zoom::kMaximum); }

int steppedZoom(int current, int wanted) {
    return std::clamp(wanted, std::min(current, Zoom::kMinimum), Zoom::kMaximum);
}

int fitZoom(QSize pictureSize, QSize room) {
    if (pictureSize.isEmpty() || room.isEmpty()) return Zoom::kOriginal;
    const auto largest = [](int length, int space) { return static_cast<int>(static_cast<long long>(space) * 100 / length); };
    const int percent = std::min(largest(pictureSize.width(), room.width()), largest(pictureSize.height(), room.height()));
    return std::clamp(percent, Zoom::kFitMinimum, Zoom::kMaximum);
}

QSize zoomedViewSize(QSize pictureSize, int percent) {
    // Whole-number arithmetic: in floating point length / 100 x percent can land
    // just below a whole result (29 pixels at 100 % gave 28), which would
    // stretch the picture at its original size.
    const auto scaled = [percent](int length) {
        return static_cast<int>(static_cast<long long>(length) * percent / 100);
    };
    return {scaled(pictureSize.width()), scaled(pictureSize.height())};
}

}  // namespace mugwarp
