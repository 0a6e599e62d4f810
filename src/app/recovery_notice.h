#pragma once
#include <QString>

class QWidget;

namespace mugwarp {

class StatusLine;

// Tells the user that unsaved changes are not protected by a recovery copy,
// without stopping the work: a line in the status bar and a notice box that
// does not block the window (one box, reused should it still be open).
void showRecoveryFailure(QWidget* window, StatusLine* status, const QString& folder, const QString& reason);

}  // namespace mugwarp
