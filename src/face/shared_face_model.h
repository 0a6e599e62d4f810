#pragma once
#include <memory>

#include "face/face_model.h"

namespace mugwarp {

// The process's one landmark model, loaded from faceModelPath() on first use
// and kept (threads may ask at once; one loads, the others wait). A failed
// load is not kept: the next call tries again, so installing the model
// later helps without a restart. Throws what FaceModel::load throws.
std::shared_ptr<const FaceModel> sharedFaceModel();

}  // namespace mugwarp
