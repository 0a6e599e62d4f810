#include <QAction>
#include <QFileInfo>
#include <QMenuBar>

#include "app/image_view.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/photo_info_setting.h"
#include "app/picture_saving.h"
#include "app/status_line.h"
#include "app/zoom.h"
#include "edit/project_file.h"
#include "raster/error.h"

namespace mugwarp {

void MainWindow::buildFileMenu() {
    menus_.file = menuBar()->addMenu(QStringLiteral("File"));
    menus_.file->setObjectName(QStringLiteral("File1"));
    actions_.open = addCommand(menus_.file, QStringLiteral("&Open"), "Open1", [this] { open(); });
    actions_.open->setShortcut(QKeySequence::Open);
    actions_.open->setToolTip(QStringLiteral("Open"));
    actions_.print = addCommand(menus_.file, QStringLiteral("&Print"), "Print1", [this] { print(); });
    actions_.print->setShortcut(QKeySequence::Print);
    actions_.print->setToolTip(QStringLiteral("Print"));
    menus_.file->addSeparator();
    actions_.save = addCommand(menus_.file, QStringLiteral("&Save"), "save1", [this] { save(); });
    actions_.save->setShortcut(QKeySequence::Save);
    actions_.save->setToolTip(QStringLiteral("Save"));
    actions_.saveAs = addCommand(menus_.file, QStringLiteral("&Save As..."), "saveas1", [this] { saveAs(); });
    actions_.saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    addKeepPhotoInformationCommand(menus_.file);
    buildProjectCommands(menus_.file);
    menus_.file->addSeparator();
    buildLoadFiltersCommand(menus_.file);
    menus_.file->addSeparator();
    actions_.exit = addCommand(menus_.file, QStringLiteral("&Exit"), "Exit1", [this] { close(); });
    actions_.exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void MainWindow::setTitleFor(const QString& documentPath) {
    // "[*]" shows as "*" while there are unsaved changes.
    setWindowTitle(QStringLiteral("Mugwarp Studio 3.0  \"[*]") + QFileInfo(documentPath).fileName() + QLatin1Char('"'));
}

void MainWindow::open() {
    const QString path = chooseOpenFile_(this, QString::fromStdString(document_.documentFileName()));
    if (path.isEmpty() || !settleUnsavedChanges()) return;
    loadAndShow(path);
}

bool MainWindow::openPicture(const QString& path) {
    if (!settleUnsavedChanges()) return false;
    bool opened = false;
    run([&] {
        loadAndShow(path);
        opened = true;
    });
    return opened;
}

// Decoding comes first: a file that cannot be read leaves the picture, both
// file names, the zoom and the title as they were.
void MainWindow::loadAndShow(const QString& path) {
    // Kept absolute, so that Reload and Save still find the file should the
    // working folder change.
    const std::string fullPath = QFileInfo(path).absoluteFilePath().toStdString();
    // A project is known by its first bytes, whatever its name.
    if (isProjectFile(fullPath)) {
        showProject(fullPath);
        return;
    }
    strokes_.release();
    document_.loadPicture(fullPath);
    pictureLeft();
    document_.setDocumentFileName(fullPath);
    zoomPercent_ = zoomForNewPicture();
    overlayController_->clear();
    afterPictureLoaded();
    selectArrowTool();
    setTitleFor(path);
    // An animation's first frame or an ignored colour profile is worth a word,
    // not a question.
    if (!document_.loadNotes().empty())
        status_->tell(QString::fromStdString(document_.loadNotes().front()));
}

void MainWindow::afterPictureLoaded() {
    for (QMenu* menu : {menus_.edit, menus_.mugwarp, menus_.view, menus_.insert, menus_.filters}) menu->menuAction()->setEnabled(true);
    for (QAction* action : {actions_.save, actions_.saveAs, actions_.saveProject, actions_.saveProjectAs,
                            actions_.exportAnimation, actions_.putty, actions_.warp, actions_.twirl,
                            actions_.original, actions_.zoomIn, actions_.zoomOut, actions_.fitInWindow,
                            actions_.reconstruct, actions_.smooth, actions_.freeze, actions_.thaw, actions_.freezeNone,
                            actions_.invertFreeze})
        action->setEnabled(true);
    view_->pictureReplaced();
    applyZoomToView();
    view_->show();
    updateHistoryActions();
}

void MainWindow::reload() {
    if (!document_.pictureLoaded() || document_.pictureFileName().empty()) return;
    strokes_.release();
    // As with Open, a file that no longer reads leaves the zoom with the
    // picture still shown. Unlike Open it is one step of the history, so a
    // Reload by mistake can be taken back.
    document_.reloadPicture();
    zoomPercent_ = zoomForNewPicture();
    afterPictureLoaded();
    selectArrowTool();
}

void MainWindow::prepareSave() {
    overlayController_->finishDrag();
    document_.setSizeChanged(false);
    selectArrowTool();
    view_->setBrushOutlineVisible(false);
}

void MainWindow::finishSave() {
    // Nothing is selected after a save and the brush outline stays hidden
    // until a warp tool is chosen again.
}

void MainWindow::writeTo(const QString& path) {
    const bool reloads = pictureFormatFor(path) == PictureFormat::Gif;
    writeDocumentPicture(document_, overlays_, path);
    // GIF and PDF too: what the file holds is what the user chose to keep.
    document_.markSaved();
    if (reloads) afterPictureLoaded();
}

bool MainWindow::save() {
    if (!document_.pictureLoaded()) return false;
    const QString path = QString::fromStdString(document_.documentFileName());
    // An opened project is written as one, whatever its name.
    if (hasProjectExtension(path.toStdString()) || isProjectFile(path.toStdString())) return saveProject();
    // A name no writer handles is refused before anything changes.
    if (pictureFormatFor(path) == PictureFormat::None) throw Error(unknownExtensionMessage(path).toStdString());
    prepareSave();
    writeTo(path);
    finishSave();
    status_->tell(QStringLiteral("Saved ") + QFileInfo(path).fileName());
    return true;
}

bool MainWindow::saveAs() {
    if (!document_.pictureLoaded()) return false;
    QString path = chooseSaveFile_(this, QString::fromStdString(document_.documentFileName()));
    if (path.isEmpty()) {
        finishSave();
        return false;
    }
    path = QFileInfo(path).absoluteFilePath();
    // A name without extension is written as a bitmap, and the document is
    // named after the file really written so that Save goes on writing it.
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.'))) path += QStringLiteral(".bmp");
    if (hasProjectExtension(path.toStdString())) {
        writeProjectTo(path);
        return true;
    }
    if (pictureFormatFor(path) == PictureFormat::None) throw Error(unknownExtensionMessage(path).toStdString());
    prepareSave();
    writeTo(path);
    document_.setDocumentFileName(path.toStdString());
    setTitleFor(path);
    finishSave();
    status_->tell(QStringLiteral("Saved ") + QFileInfo(path).fileName());
    return true;
}

}  // namespace mugwarp
