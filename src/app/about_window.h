#pragma once
#include <QDialog>

namespace mugwarp {

// The borderless About picture with a round close button at its top-right.
// It is a child of the main window: the window manager keeps it above that
// window, and while it is open the main window accepts no input.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* mainWindow);

    static constexpr QSize kSize{600, 308};
    static constexpr QRect kCloseButtonGeometry{576, 0, 25, 25};

    void showCentred();
    int execCentred();
    QWidget* closeButton() const { return closeButton_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centreOnMainWindow();

    QPixmap picture_;
    QWidget* closeButton_ = nullptr;
};

}  // namespace mugwarp
