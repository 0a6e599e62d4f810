#pragma once
#include <memory>
#include <string>
#include <vector>

#include "face/face_landmarks.h"

namespace mugwarp {

class PixelSurface;

// The landmark model file: $MUGWARP_FACE_MODEL when set, else the path the
// Debian package libdlib-data installs it at.
std::string faceModelPath();

// The face detector and the 68-point landmark predictor, loaded from the
// model file. Loading reads about 100 MB, so callers keep one and share it
// (finding faces does not change it; several threads may use one model).
class FaceModel {
public:
    // Throws Error(face_messages::kModelMissing) when the file is missing,
    // unreadable, damaged or of another kind.
    static std::shared_ptr<const FaceModel> load(const std::string& path);
    static std::shared_ptr<const FaceModel> load() { return load(faceModelPath()); }
    ~FaceModel();
    FaceModel(const FaceModel&) = delete;
    FaceModel& operator=(const FaceModel&) = delete;

    // The model's mean face: its starting shape, in coordinates relative to
    // the face box (0 to 1 across and down).
    const LandmarkSet& meanShape() const { return mean_; }

    // Every face the detector finds, largest first, with its landmarks placed
    // on the picture at full resolution. An empty list when there is none.
    std::vector<FoundFace> findFaces(const PixelSurface& picture) const;

private:
    struct Parts;
    explicit FaceModel(std::unique_ptr<Parts> parts, const LandmarkSet& mean);
    std::unique_ptr<Parts> parts_;
    LandmarkSet mean_;
};

// findFaces, throwing Error(face_messages::kNoFace) when it finds none.
std::vector<FoundFace> requireFaces(const FaceModel& model, const PixelSurface& picture);

}  // namespace mugwarp
