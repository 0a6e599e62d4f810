#include <QMenu>

#include "app/caricature_panel.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/status_line.h"

namespace mugwarp {

void MainWindow::buildCaricatureCommand() {
    menus_.mugwarp->addSeparator();
    actions_.caricature = addCommand(menus_.mugwarp, QStringLiteral("Caricature") + QChar(0x2026), "Caricature1",
                                     [this] { openCaricaturePanel(); });
}

CaricaturePanel* MainWindow::caricaturePanel() const { return caricaturePanel_.data(); }

void MainWindow::openCaricaturePanel() {
    if (!document_.pictureLoaded() || caricaturePanel_) return;
    strokes_.release();
    // Faces are found on the picture as shown; the flat view would hide the preview.
    if (isFlatTool(document_.currentTool())) selectArrowTool();
    auto* panel = new CaricaturePanel(document_, view_, this);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    // The picture must not change under the panel: the main window waits.
    panel->setWindowModality(Qt::WindowModal);
    caricaturePanel_ = panel;
    // Below 50 % a screen pixel shows two or more picture pixels: the preview
    // renders no finer than that.
    panel->setPreviewStep(zoomPercent_ > 0 ? 100 / zoomPercent_ : 1);
    connect(panel, &CaricaturePanel::searching, this,
            [this] { status_->showMessage(QStringLiteral("Finding faces (the first time also loads the face model)...")); });
    connect(panel, &CaricaturePanel::searchEnded, this, [this](const QString& message) { status_->tell(message); });
    connect(panel, &CaricaturePanel::applied, this, [this](const QString& caption) {
        status_->tell(caption);
        updateHistoryActions();
    });
    connect(panel, &QDialog::finished, this, [this] { updateHistoryActions(); });
    panel->show();
    panel->start();
}

}  // namespace mugwarp
