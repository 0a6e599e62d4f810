#pragma once
#include "face/face_landmarks.h"

namespace mugwarp {

// x' = a x - b y + tx, y' = b x + a y + ty: rotation, uniform scale, shift.
struct Similarity {
    double a = 1, b = 0, tx = 0, ty = 0;
    FacePoint operator()(const FacePoint& p) const { return {a * p.x - b * p.y + tx, b * p.x + a * p.y + ty}; }
};

// The similarity taking from as close to onto as least squares allow.
Similarity fitSimilarity(const LandmarkSet& from, const LandmarkSet& onto);

}  // namespace mugwarp
