#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSessionManager>

#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/picture_saving.h"

namespace mugwarp {

QMessageBox::StandardButton askSaveChanges(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Mugwarp Studio"), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("saveChangesQuestion"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MainWindow::watchSessionEnd() {
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &MainWindow::commitSessionData);
#endif
}

QString MainWindow::documentDisplayName() const {
    const QString name = QFileInfo(QString::fromStdString(document_.documentFileName())).fileName();
    return name.isEmpty() ? QStringLiteral("Untitled") : name;
}

// Save writes where the picture came from; a picture with no name a writer
// takes (never saved, or opened from a .jpeg) needs Save As.
bool MainWindow::saveBeforeClosing() {
    const QString path = QString::fromStdString(document_.documentFileName());
    const bool named = !path.isEmpty() && pictureFormatFor(path) != PictureFormat::None;
    bool saved = false;
    run([&] { saved = named ? save() : saveAs(); });
    return saved;
}

bool MainWindow::settleUnsavedChanges() {
    endGestures();
    if (!document_.pictureLoaded() || !document_.isModified()) return true;
    const QString text = QStringLiteral("Save changes to %1 before closing?").arg(documentDisplayName());
    switch (askSaveChanges_(this, text)) {
    case QMessageBox::Save:
        return saveBeforeClosing();
    case QMessageBox::Discard:
        changesDiscarded();
        return true;
    default:
        return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    pictureLeft();
    event->accept();
}

#ifndef QT_NO_SESSIONMANAGER
// Logging out asks as closing does where the session lets the editor speak;
// where it does not, the recovery copy keeps the work.
void MainWindow::commitSessionData(QSessionManager& manager) {
    if (!document_.pictureLoaded() || !document_.isModified() || !manager.allowsInteraction()) return;
    const bool settled = settleUnsavedChanges();
    manager.release();
    if (!settled) manager.cancel();
}
#else
void MainWindow::commitSessionData(QSessionManager&) {}
#endif

}  // namespace mugwarp
