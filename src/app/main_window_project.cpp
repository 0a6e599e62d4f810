#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

#include "app/animation_dialog.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "app/status_line.h"
#include "app/zoom.h"
#include "edit/project_document.h"
#include "edit/project_file.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// "portrait.jpg" suggests "portrait.mugwarp" beside it.
QString withSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty()) return QStringLiteral("Untitled.") + suffix;
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + suffix);
}

}  // namespace

void MainWindow::buildProjectCommands(QMenu* fileMenu) {
    fileMenu->addSeparator();
    actions_.saveProject = addCommand(fileMenu, QStringLiteral("Save Pro&ject"), "saveProject1", [this] { saveProject(); });
    actions_.saveProject->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    actions_.saveProject->setToolTip(QStringLiteral("Keep the source, the deformation and the overlays apart, to go on warping later"));
    actions_.saveProjectAs =
        addCommand(fileMenu, QStringLiteral("Save Project &As..."), "saveProjectAs1", [this] { saveProjectAs(); });
    actions_.exportAnimation =
        addCommand(fileMenu, QStringLiteral("Export A&nimation..."), "exportAnimation1", [this] { exportAnimation(); });
    actions_.exportAnimation->setToolTip(QStringLiteral("The morph from the undeformed picture to the result as an animated GIF"));
    for (QAction* action : {actions_.saveProject, actions_.saveProjectAs, actions_.exportAnimation})
        action->setEnabled(false);
}

// Reading comes first: a project that cannot be read leaves the picture,
// both file names, the overlays, the zoom and the title as they were.
void MainWindow::showProject(const std::string& path) {
    ProjectSnapshot project;
    {
        const BusyCursor busy;
        project = readProjectFile(path);
    }
    strokes_.release();
    OverlayStack overlays;
    installProject(document_, overlays, std::move(project), path);
    overlayController_->clear();
    for (std::size_t i = 0; i < overlays.size(); ++i) overlays_.add(overlays.at(i));
    pictureLeft();
    zoomPercent_ = Zoom::kOriginal;
    afterPictureLoaded();
    selectArrowTool();
    setTitleFor(QString::fromStdString(path));
}

void MainWindow::writeProjectTo(const QString& path) {
    prepareSave();
    ProjectSnapshot project = projectOf(document_, overlays_);
    project.documentFileName = path.toStdString();
    {
        const BusyCursor busy;
        writeProjectFile(path.toStdString(), project);
    }
    document_.setDocumentFileName(path.toStdString());
    document_.markSaved();
    setTitleFor(path);
    finishSave();
    status_->tell(QStringLiteral("Saved project ") + QFileInfo(path).fileName());
}

bool MainWindow::saveProject() {
    if (!document_.pictureLoaded()) return false;
    const std::string path = document_.documentFileName();
    if (!hasProjectExtension(path) && !isProjectFile(path)) return saveProjectAs();
    writeProjectTo(QString::fromStdString(path));
    return true;
}

bool MainWindow::saveProjectAs() {
    if (!document_.pictureLoaded()) return false;
    QString path = chooseSaveFile_(this, withSuffix(QString::fromStdString(document_.documentFileName()),
                                                    QStringLiteral("mugwarp")));
    if (path.isEmpty()) return false;
    path = QFileInfo(path).absoluteFilePath();
    if (!hasProjectExtension(path.toStdString())) path += QStringLiteral(".mugwarp");
    writeProjectTo(path);
    return true;
}

void MainWindow::exportAnimation() {
    if (!document_.pictureLoaded()) return;
    const std::optional<AnimationOptions> options =
        (askAnimation_ ? askAnimation_ : askAnimationOptions)(this, animationOptions_);
    if (!options) return;
    animationOptions_ = *options;
    QString path = chooseSaveFile_(this, withSuffix(QString::fromStdString(document_.documentFileName()), QStringLiteral("gif")));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().compare(QStringLiteral("gif"), Qt::CaseInsensitive) != 0) path += QStringLiteral(".gif");
    overlayController_->finishDrag();
    // The flat tools have baked what is shown into the source: nothing moves.
    const bool baked = isFlatTool(document_.currentTool());
    const DisplacementMap none;
    const BusyCursor busy;
    writeMorphAnimation(path.toStdString(),
                        {baked ? document_.display() : document_.source(), document_.display(),
                         baked ? none : document_.deformation(), &overlays_},
                        *options);
    status_->tell(QStringLiteral("Exported animation ") + QFileInfo(path).fileName());
}

}  // namespace mugwarp
