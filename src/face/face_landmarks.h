#pragma once
#include <array>
#include <cstddef>
#include <vector>

#include "raster/geometry.h"

namespace mugwarp {

// A point in picture pixels (pixel centres at whole numbers).
struct FacePoint {
    double x = 0, y = 0;
    friend constexpr bool operator==(const FacePoint&, const FacePoint&) = default;
};

// The 68 landmarks of one face in the widely used 68-point layout: jaw line
// 0-16 (the person's right to left), brows 17-26, nose bridge 27-30, nose
// base 31-35, eyes 36-41 and 42-47, outer lips 48-59, inner lips 60-67.
constexpr std::size_t kLandmarkCount = 68;
using LandmarkSet = std::array<FacePoint, kLandmarkCount>;

struct FoundFace {
    Rect box;             // where the detector saw the face, in picture pixels
    LandmarkSet points;   // in picture pixels
};

// Index ranges of the groups, first and one past the last.
namespace landmark {
constexpr std::size_t kJawBegin = 0, kJawEnd = 17, kChin = 8;
constexpr std::size_t kRightBrowBegin = 17, kRightBrowEnd = 22, kLeftBrowBegin = 22, kLeftBrowEnd = 27;
constexpr std::size_t kNoseBridgeTop = 27, kNoseTip = 30, kNoseBaseBegin = 31, kNoseBaseEnd = 36, kNoseBottom = 33;
constexpr std::size_t kRightEyeBegin = 36, kRightEyeEnd = 42, kLeftEyeBegin = 42, kLeftEyeEnd = 48;
constexpr std::size_t kMouthBegin = 48, kMouthEnd = 68, kMouthRightCorner = 48, kMouthLeftCorner = 54;
constexpr std::size_t kInnerMouthRightCorner = 60, kInnerMouthLeftCorner = 64;
}  // namespace landmark

FacePoint centroid(const LandmarkSet& points, std::size_t begin, std::size_t end);

}  // namespace mugwarp
