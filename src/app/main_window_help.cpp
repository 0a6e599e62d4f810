#include <QAction>
#include <QFileInfo>
#include <QMenuBar>

#include "app/about_window.h"
#include "app/data_paths.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "raster/error.h"

namespace mugwarp {

void MainWindow::buildHelpMenu() {
    menus_.help = menuBar()->addMenu(QStringLiteral("Help"));
    menus_.help->setObjectName(QStringLiteral("Help1"));
    actions_.tutorial = addCommand(menus_.help, QStringLiteral("Tutorial"), "Tutorial1", [this] { showTutorial(); });
    actions_.tutorial->setShortcut(QKeySequence::HelpContents);
    actions_.tutorial->setToolTip(QStringLiteral("Tutorial"));
    actions_.about = addCommand(menus_.help, QStringLiteral("About"), "About1", [this] { showAbout(); });
    help_ = std::make_unique<HelpWindow>(this);
}

void MainWindow::setUrlOpener(UrlOpener opener) { help_->setUrlOpener(std::move(opener)); }

// The editor shows the tutorial itself: F1 must work on a desktop without a web browser.
void MainWindow::showTutorial() {
    const QString path = tutorialPath(QString::fromStdString(document_.baseDir()));
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Error("The tutorial is not installed: help/index.html is missing from the editor's data folder");
    help_->showStartPage(QUrl::fromLocalFile(path));
}

void MainWindow::showAbout() { about_->execCentred(); }

}  // namespace mugwarp
