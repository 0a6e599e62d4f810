#include "app/history_captions.h"

#include <QLocale>

namespace mugwarp {

namespace {

constexpr double kKilobyte = 1024.0;
constexpr double kMegabyte = 1024.0 * kKilobyte;
constexpr double kGigabyte = 1024.0 * kMegabyte;

QString stepsText(int steps, const QString& direction) {
    if (steps == 0) return QStringLiteral("no steps %1").arg(direction);
    const QString unit = steps == 1 ? QStringLiteral("step") : QStringLiteral("steps");
    return QStringLiteral("%1 %2 %3").arg(steps).arg(unit, direction);
}

QString toolTip(const QString& command, int steps, const QString& direction, std::size_t bytes) {
    if (steps == 0 && bytes == 0) return QStringLiteral("%1 (nothing to %2)").arg(command, command.toLower());
    return QStringLiteral("%1 (%2; history uses %3)").arg(command, stepsText(steps, direction), memoryText(bytes));
}

}  // namespace

QString memoryText(std::size_t bytes) {
    const QLocale locale;
    const double amount = static_cast<double>(bytes);
    if (amount >= kGigabyte) return locale.toString(amount / kGigabyte, 'f', 2) + QStringLiteral(" GB");
    // From 1000 KB on, megabytes read better than a four-digit kilobyte count.
    if (amount >= 1000.0 * kKilobyte) return locale.toString(amount / kMegabyte, 'f', 1) + QStringLiteral(" MB");
    // A few bytes still read as 1 KB rather than as nothing at all.
    const auto kilobytes = static_cast<qlonglong>((bytes + 1023) / 1024);
    return locale.toString(kilobytes) + QStringLiteral(" KB");
}

QString undoToolTip(const HistoryUsage& usage) {
    return toolTip(QStringLiteral("Undo"), usage.undoSteps, QStringLiteral("back"), usage.bytes);
}

QString redoToolTip(const HistoryUsage& usage) {
    return toolTip(QStringLiteral("Redo"), usage.redoSteps, QStringLiteral("ahead"), usage.bytes);
}

}  // namespace mugwarp
