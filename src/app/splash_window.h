#pragma once
#include <QWidget>

namespace mugwarp {

// The borderless start-up picture, centred on the screen. It closes itself when
// it loses activation or when the user presses a mouse button on it.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    static constexpr QSize kSize{464, 335};

    // Shows the splash centred on the screen and paints it at once.
    void showNow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPixmap picture_;
    bool wasActive_ = false;
};

}  // namespace mugwarp
