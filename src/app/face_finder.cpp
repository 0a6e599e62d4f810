#include "app/face_finder.h"

#include <QMetaObject>

#include "face/shared_face_model.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

FaceFinder::FaceFinder(QObject* parent) : QObject(parent) {}

FaceFinder::~FaceFinder() {
    if (worker_.joinable()) worker_.join();
}

void FaceFinder::find(const PixelSurface& picture) {
    if (worker_.joinable()) worker_.join();
    done_ = false;
    // The thread works on its own copy: the picture may change under the
    // panel's preview while it searches.
    auto copy = std::make_shared<PixelSurface>(picture);
    worker_ = std::thread([this, copy] {
        std::vector<FoundFace> faces;
        std::shared_ptr<const FaceModel> model;
        QString message;
        try {
            model = sharedFaceModel();
            faces = requireFaces(*model, *copy);
        } catch (const std::exception& e) {
            message = QString::fromStdString(e.what());
        }
        // Queued to this object: dropped if it is gone by then (it waits for
        // the thread, so it is alive while the call is posted).
        QMetaObject::invokeMethod(
            this,
            [this, faces = std::move(faces), model = std::move(model), message] {
                done_ = true;
                if (message.isEmpty()) emit found(faces, model);
                else emit failed(message);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace mugwarp
