#pragma once
#include <QApplication>

#include "app/error_reporter.h"

namespace mugwarp {

// The application object. Its event dispatch is the last line of defence:
// an error that escapes any event handler is shown, and the window goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    ErrorReporter reporter_;
};

}  // namespace mugwarp
