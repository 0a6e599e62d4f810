#pragma once
#include <vector>

#include "face/caricature_settings.h"
#include "face/face_landmarks.h"

namespace mugwarp {

// Points of a face and where the caricature takes them: the 68 landmarks
// first, then points on the forehead (which the landmarks do not reach)
// that the forehead, face-width and head-size sliders move.
struct ControlMoves {
    std::vector<FacePoint> from;
    std::vector<FacePoint> to;
    bool isIdentity() const { return from == to; }
};
inline constexpr std::size_t kForeheadPointCount = 5;

// Every slider is a set of moves of these points, measured in the face's own
// frame (across from eye to eye, down from the eyes to the chin) and in its
// own size (the distance between the eye centres), so that a setting does
// the same to a small face as to a big one and to a tilted one as to an
// upright one. The moves of all sliders add up.
//
// Exaggerate: the mean face, fitted onto this face by a similarity, is the
// face without anything of its own; each landmark moves away from its fitted
// mean point by exaggerate per cent of its difference from it.
// meanShape is the landmark model's mean in any frame (only its shape counts).
ControlMoves caricatureMoves(const LandmarkSet& face, const LandmarkSet& meanShape, const CaricatureSettings& settings);

}  // namespace mugwarp
