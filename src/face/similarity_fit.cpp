#include "face/similarity_fit.h"

namespace mugwarp {

Similarity fitSimilarity(const LandmarkSet& from, const LandmarkSet& onto) {
    const FacePoint cf = centroid(from, 0, kLandmarkCount);
    const FacePoint co = centroid(onto, 0, kLandmarkCount);
    double dot = 0, cross = 0, norm = 0;
    for (std::size_t i = 0; i < kLandmarkCount; ++i) {
        const double fx = from[i].x - cf.x, fy = from[i].y - cf.y;
        const double ox = onto[i].x - co.x, oy = onto[i].y - co.y;
        dot += fx * ox + fy * oy;
        cross += fx * oy - fy * ox;
        norm += fx * fx + fy * fy;
    }
    Similarity s;
    if (norm > 0) {
        s.a = dot / norm;
        s.b = cross / norm;
    }
    s.tx = co.x - (s.a * cf.x - s.b * cf.y);
    s.ty = co.y - (s.b * cf.x + s.a * cf.y);
    return s;
}

}  // namespace mugwarp
