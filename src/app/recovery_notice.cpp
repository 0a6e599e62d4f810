#include "app/recovery_notice.h"

#include <QMessageBox>

#include "app/recovery_keeper.h"
#include "app/status_line.h"

namespace mugwarp {

void showRecoveryFailure(QWidget* window, StatusLine* status, const QString& folder, const QString& reason) {
    if (status) status->tell(QStringLiteral("Recovery copy not written: ") + reason);
    const QString text =
        QStringLiteral("Recovery copies of your unsaved changes cannot be kept in the folder %1 at the moment.\n\n%2\n\n"
                       "The editor tries again every %3 seconds. Until it succeeds, save your picture to keep "
                       "the changes safe.")
            .arg(folder, reason)
            .arg(RecoveryKeeper::kIntervalMs / 1000);
    auto* box = window->findChild<QMessageBox*>(QStringLiteral("recoveryNotice"), Qt::FindDirectChildrenOnly);
    if (!box) {
        box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Recovery Copy Not Written"), text,
                              QMessageBox::Ok, window);
        box->setObjectName(QStringLiteral("recoveryNotice"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
    }
    box->setText(text);
    box->show();
    box->raise();
}

}  // namespace mugwarp
