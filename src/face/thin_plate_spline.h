#pragma once
#include <vector>

#include "face/face_landmarks.h"

namespace mugwarp {

// A two-dimensional thin-plate spline: the smoothest (least bending) field
// that takes the given value at each of the given points, an affine part plus
// r^2 log r bumps centred on the points. Points closer together than a
// hundredth of a pixel count as one, with the mean of their values.
class ThinPlateSpline {
public:
    ThinPlateSpline(const std::vector<FacePoint>& points, const std::vector<FacePoint>& values);
    FacePoint operator()(double x, double y) const;

private:
    std::vector<FacePoint> centres_;
    std::vector<FacePoint> weights_;
    FacePoint origin_;
    double unit_ = 1;                 // coordinates are divided by it
    double affine_[3][2] = {};        // 1, x, y terms for the two components
};

}  // namespace mugwarp
