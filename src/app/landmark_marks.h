#pragma once
#include <QWidget>
#include <vector>

#include "face/face_landmarks.h"

namespace mugwarp {

// Dots on the picture where a face's landmarks are, drawn over the view (as
// its child, the view's size, letting the mouse through).
class LandmarkMarks : public QWidget {
    Q_OBJECT
public:
    // pictureSize: the picture's size in pixels, which the view stretches
    // over its whole area.
    LandmarkMarks(QWidget* view, QSize pictureSize);
    void setPoints(std::vector<FacePoint> points);
    const std::vector<FacePoint>& points() const { return points_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSize pictureSize_;
    std::vector<FacePoint> points_;
};

}  // namespace mugwarp
