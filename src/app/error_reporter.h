#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace mugwarp {

// Where the messages of failed commands go. The application shows them in a
// message box; tests record them instead of blocking on a modal box.
using ErrorReporter = std::function<void(const QString& message)>;

ErrorReporter messageBoxReporter(QWidget* parent);

// Runs a command and turns whatever escapes it into one report, so that a
// failing command never takes the window down.
void runReportingErrors(const ErrorReporter& report, const std::function<void()>& command);

}  // namespace mugwarp
