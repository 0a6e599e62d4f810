#pragma once
#include <QSize>
#include <QStatusBar>

#include "document/tool_code.h"

class QLabel;

namespace mugwarp {

// The main window's status bar: on the left the active tool's name with a
// one-line hint (or, for a few seconds, the message of a finished command),
// on the right the picture's size and the zoom.
class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kMessageMs = 5000;

    explicit StatusLine(QWidget* parent = nullptr);

    void showTool(ToolCode tool, bool pictureLoaded);
    // An empty size means no picture: size and zoom are blank.
    void showPicture(QSize size, int zoomPercent);
    // "Saved NAME" and the like; the tool's hint comes back after a while.
    void tell(const QString& message) { showMessage(message, kMessageMs); }

    QString toolText() const;
    QString sizeText() const;
    QString zoomText() const;

private:
    QLabel* tool_;
    QLabel* size_;
    QLabel* zoom_;
};

}  // namespace mugwarp
