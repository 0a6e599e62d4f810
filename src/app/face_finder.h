#pragma once
#include <QObject>
#include <QString>
#include <memory>
#include <thread>
#include <vector>

#include "face/face_model.h"

namespace mugwarp {

class PixelSurface;

// Finds the faces of a picture off the GUI thread: loads the landmark model
// on first use (it takes a second or more), then runs the detector on a copy
// of the picture. The answer comes back on the GUI thread as a signal.
class FaceFinder : public QObject {
    Q_OBJECT
public:
    explicit FaceFinder(QObject* parent = nullptr);
    // Waits for a search under way (its answer is dropped).
    ~FaceFinder() override;
    void find(const PixelSurface& picture);
    bool busy() const { return worker_.joinable() && !done_; }

signals:
    // Largest first, never empty.
    void found(std::vector<mugwarp::FoundFace> faces, std::shared_ptr<const mugwarp::FaceModel> model);
    // The model is missing, or there is no face: the message says which.
    void failed(QString message);

private:
    std::thread worker_;
    bool done_ = false;
};

}  // namespace mugwarp
