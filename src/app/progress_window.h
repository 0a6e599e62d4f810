#pragma once
#include <QFrame>

class QLabel;
class QProgressBar;

namespace mugwarp {

// The small borderless window that shows how far a filter run is:
// "Applying Filter <name>..." above a smooth bar.
class ProgressWindow : public QFrame {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // Shows the window announcing the named filter ("..." appended unless the
    // name ends with it already).
    void announce(const QString& filterName);
    // Shows the window with a message of its own and an empty bar.
    void showMessage(const QString& text);
    // Bar from 0 to total at done, then pending paints are handled so the
    // window keeps up while the filter works.
    void setProgress(int done, int total);

    QString caption() const;
    QProgressBar* bar() const { return bar_; }

private:
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace mugwarp
