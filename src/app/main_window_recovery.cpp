#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/recovery_keeper.h"
#include "app/recovery_notice.h"
#include "app/zoom.h"
#include "edit/recovery_file.h"
#include "edit/recovery_folder.h"

namespace mugwarp {

RecoveryAnswer askRecoverPicture(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Recover Unsaved Picture"), text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("recoverQuestion"));
    QPushButton* recover = box.addButton(QStringLiteral("Recover"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == recover) return RecoveryAnswer::Recover;
    if (box.clickedButton() == discard) return RecoveryAnswer::Discard;
    return RecoveryAnswer::Later;
}

// A folder that cannot be made now is tried again at every interval; the
// user hears of it once, as of a failed write, so that no one believes
// unsaved work is safe when it is not.
void MainWindow::startKeepingRecovery() {
    if (options_.recoveryFolder.isEmpty()) return;
    try {
        recovery_ = std::make_unique<RecoveryKeeper>(
            document_, overlays_, [this] { return strokes_.stroking() || flatTools_.stroking(); },
            std::filesystem::path(options_.recoveryFolder.toStdString()), this);
    } catch (const std::exception& e) {
        if (!recoveryFailureShown_) {
            recoveryFailureShown_ = true;
            const QString reason = QString::fromUtf8(e.what());
            QTimer::singleShot(0, this, [this, reason] {
                showRecoveryFailure(this, status_, options_.recoveryFolder, reason);
            });
        }
        QTimer::singleShot(RecoveryKeeper::kIntervalMs, this, [this] { startKeepingRecovery(); });
        return;
    }
    connect(recovery_.get(), &RecoveryKeeper::writeFailed, this,
            [this](const QString& folder, const QString& reason) { showRecoveryFailure(this, status_, folder, reason); });
    // Started late, the keeper takes up changes made meanwhile.
    if (recoveryFailureShown_) recovery_->documentChanged();
    recoveryFailureShown_ = false;
}

void MainWindow::changesDiscarded() {
    if (recovery_) recovery_->discard();
}

void MainWindow::pictureLeft() {
    if (recovery_) recovery_->discard();
}

// Copies left by editors that ended without closing are offered one by one,
// newest first, until one is recovered: a window holds one picture.
void MainWindow::offerRecovery() {
    if (options_.recoveryFolder.isEmpty()) return;
    const std::filesystem::path folder(options_.recoveryFolder.toStdString());
    for (const OrphanedRecovery& orphan : findOrphanedRecoveries(folder)) {
        RecoverySnapshot snapshot;
        try {
            snapshot = unpackRecovery(readRecoveryBytes(orphan.file));
        } catch (const std::exception& e) {
            const std::filesystem::path aside = setAsideDamagedRecovery(orphan);
            reporter_(QStringLiteral("%1: %2. It was kept aside as %3.")
                          .arg(QString::fromStdString(orphan.file.string()), QString::fromUtf8(e.what()),
                               QString::fromStdString(aside.string())));
            continue;
        }
        const QString name = QFileInfo(QString::fromStdString(snapshot.documentFileName)).fileName();
        const QString date =
            QLocale().toString(QDateTime::fromSecsSinceEpoch(snapshot.savedAt), QLocale::ShortFormat);
        const QString text = QStringLiteral("Recover the unsaved picture %1 from %2?")
                                 .arg(name.isEmpty() ? QStringLiteral("Untitled") : name, date);
        switch (askRecover_(this, text)) {
        case RecoveryAnswer::Recover:
            run([&] { installRecovered(std::move(snapshot), orphan.file); });
            std::filesystem::remove(orphan.lock);
            return;
        case RecoveryAnswer::Discard:
            discardRecovery(orphan);
            break;
        case RecoveryAnswer::Later:
            break;
        }
    }
}

void MainWindow::installRecovered(RecoverySnapshot snapshot, const std::filesystem::path& copy) {
    if (!settleUnsavedChanges()) return;
    strokes_.release();
    document_.loadRecovered(std::move(snapshot.picture), snapshot.keyColor, snapshot.outerColor,
                            snapshot.pictureFileName);
    document_.setFreezeMask(std::move(snapshot.freezeMask));
    document_.setDocumentFileName(snapshot.documentFileName);
    zoomPercent_ = zoomForNewPicture();
    overlayController_->clear();
    for (Overlay& overlay : snapshot.overlays) overlays_.add(std::move(overlay));
    afterPictureLoaded();
    selectArrowTool();
    setTitleFor(snapshot.documentFileName.empty() ? QStringLiteral("Untitled")
                                                  : QString::fromStdString(snapshot.documentFileName));
    // The copy becomes this window's own until the picture is saved or let go.
    if (recovery_) {
        recovery_->adopt(copy);
        recovery_->documentChanged();
    }
}

}  // namespace mugwarp
