#include "face/shared_face_model.h"

#include <mutex>

namespace mugwarp {

std::shared_ptr<const FaceModel> sharedFaceModel() {
    static std::mutex lock;
    static std::shared_ptr<const FaceModel> model;
    const std::lock_guard<std::mutex> hold(lock);
    if (!model) model = FaceModel::load();
    return model;
}

}  // namespace mugwarp
