#include "face/face_landmarks.h"

namespace mugwarp {

FacePoint centroid(const LandmarkSet& points, std::size_t begin, std::size_t end) {
    FacePoint sum;
    for (std::size_t i = begin; i < end; ++i) {
        sum.x += points[i].x;
        sum.y += points[i].y;
    }
    const double n = static_cast<double>(end - begin);
    return {sum.x / n, sum.y / n};
}

}  // namespace mugwarp
