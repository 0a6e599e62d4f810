#pragma once
#include <QDialog>
#include <QPointer>

namespace mugwarp {

// The borderless About picture with a round close button at its top-right.
// While it is open the window it belongs to accepts no input.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    // blockedWindow is disabled while the About window shows; it is not the parent,
    // so that disabling it cannot disable this window too.
    explicit AboutWindow(QWidget* blockedWindow);

    static constexpr QSize kSize{600, 308};
    static constexpr QRect kCloseButtonGeometry{576, 0, 25, 25};

    void showCentred();
    int execCentred();
    QWidget* closeButton() const { return closeButton_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void centreOnScreen();

    QPointer<QWidget> blockedWindow_;
    QPixmap picture_;
    QWidget* closeButton_ = nullptr;
};

}  // namespace mugwarp
