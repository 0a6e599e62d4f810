#include <QAction>
#include <QFileInfo>
#include <QMenuBar>

#include "app/about_window.h"
#include "app/data_paths.h"
#include "app/main_window.h"

namespace mugwarp {

void MainWindow::buildHelpMenu() {
    menus_.help = menuBar()->addMenu(QStringLiteral("Help"));
    menus_.help->setObjectName(QStringLiteral("Help1"));
    actions_.tutorial = addCommand(menus_.help, QStringLiteral("Tutorial"), "Tutorial1", [this] { showTutorial(); });
    actions_.tutorial->setShortcut(QKeySequence::HelpContents);
    actions_.tutorial->setToolTip(QStringLiteral("Tutorial"));
    actions_.about = addCommand(menus_.help, QStringLiteral("About"), "About1", [this] { showAbout(); });
}

// The desktop's browser shows the tutorial; whatever it says about a missing
// or unreadable page is its own business, the editor reports nothing.
void MainWindow::showTutorial() {
    const QString path = tutorialPath(QString::fromStdString(document_.baseDir()));
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    openUrl_(QUrl::fromLocalFile(path));
}

void MainWindow::showAbout() { about_->execCentred(); }

}  // namespace mugwarp
