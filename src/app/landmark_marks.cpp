#include "app/landmark_marks.h"

#include <QEvent>
#include <QPainter>

namespace mugwarp {

LandmarkMarks::LandmarkMarks(QWidget* view, QSize pictureSize) : QWidget(view), pictureSize_(pictureSize) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(view->rect());
    view->installEventFilter(this);  // follows the view's size (zoom)
}

void LandmarkMarks::setPoints(std::vector<FacePoint> points) {
    points_ = std::move(points);
    update();
}

bool LandmarkMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
}

void LandmarkMarks::paintEvent(QPaintEvent*) {
    if (pictureSize_.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double sx = double(width()) / pictureSize_.width(), sy = double(height()) / pictureSize_.height();
    // Dark rims keep the light dots visible on skin and on white alike.
    painter.setPen(QPen(QColor(0, 0, 0, 200), 1));
    painter.setBrush(QColor(80, 255, 120));
    for (const FacePoint& p : points_) painter.drawEllipse(QPointF((p.x + 0.5) * sx, (p.y + 0.5) * sy), 2.5, 2.5);
}

}  // namespace mugwarp
