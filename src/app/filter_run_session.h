#pragma once
#include <QColor>
#include <QObject>
#include <functional>

#include "pshost/filter_run_client.h"

namespace mugwarp {

class ProgressWindow;

// The window's side of one filter run. While it lives, user input is held
// back from every window (the filter runs inside a menu command) except that
// Escape asks to cancel; progress goes to the progress window, colour
// requests to a colour dialog.
class FilterRunSession : public QObject, public FilterRunClient {
    Q_OBJECT
public:
    // Returns an invalid colour when the user cancels.
    using ColorChooser = std::function<QColor(const QColor& initial)>;

    FilterRunSession(ProgressWindow& progressWindow, QString filterName, ColorChooser chooseColor);
    ~FilterRunSession() override;

    void progress(std::int32_t done, std::int32_t total) override;
    bool testAbort() override;
    void colorServices(ColorRequest& request) override;
    // A slow runner (Windows filters under Wine) is starting: the progress
    // window says so until the filter reports progress.
    void runnerStarting(const std::string& message) override;
    void runnerStarted() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProgressWindow& progress_;
    QString name_;
    ColorChooser chooseColor_;
    bool escapePressed_ = false;
    bool choosingColor_ = false;
    bool showingStart_ = false;
};

}  // namespace mugwarp
