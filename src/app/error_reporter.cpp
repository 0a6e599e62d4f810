#include "app/error_reporter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <exception>

#include "raster/error.h"

namespace mugwarp {

ErrorReporter messageBoxReporter(QWidget* parent) {
    QPointer<QWidget> guardedParent(parent);
    return [guardedParent](const QString& message) {
        QMessageBox::critical(guardedParent.data(), QStringLiteral("Mugwarp Studio"), message);
    };
}

void runReportingErrors(const ErrorReporter& report, const std::function<void()>& command) {
    try {
        command();
    } catch (const Error& error) {
        report(QString::fromStdString(error.what()));
    } catch (const std::bad_alloc&) {
        report(QStringLiteral("Out of memory"));
    } catch (const std::exception& error) {
        report(QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace mugwarp
