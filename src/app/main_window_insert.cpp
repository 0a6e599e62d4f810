#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>

#include "app/data_paths.h"
#include "app/image_view.h"
#include "app/main_window.h"
#include "app/overlay_controller.h"
#include "document/key_color.h"
#include "edit/clipart_picture.h"
#include "edit/selection_geometry.h"
#include "text/text_picture.h"

namespace mugwarp {

bool askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void MainWindow::buildInsertMenu() {
    menus_.insert = menuBar()->addMenu(QStringLiteral("Insert"));
    menus_.insert->setObjectName(QStringLiteral("Insert1"));
    actions_.clipart = addCommand(menus_.insert, QStringLiteral("Clipart"), "Clipart1", [this] { insertClipart(); });
    actions_.talkBubble =
        addCommand(menus_.insert, QStringLiteral("Talk Bubble"), "TalkBubble1", [this] { insertTalkBubble(); });
    menus_.insert->addSeparator();
    actions_.text = addCommand(menus_.insert, QStringLiteral("Text"), "inctext", [this] { insertText(); });
    // The Delete key does what the palette's Delete button does.
    QAction* remove = addCommand(nullptr, QStringLiteral("Delete"), "deleteSelectionAction", [this] { deleteSelection(); });
    remove->setShortcut(QKeySequence::Delete);
    addAction(remove);
}

void MainWindow::insertClipart() { insertPictureFrom(QStringLiteral("Clipart")); }

void MainWindow::insertTalkBubble() { insertPictureFrom(QStringLiteral("Clipart/Talk Bubbles")); }

void MainWindow::insertPictureFrom(const QString& folderName) {
    if (!document_.pictureLoaded()) return;
    selectArrowTool();
    const QString folder = baseFolder(QString::fromStdString(document_.baseDir()), folderName);
    const QString path = chooseOpenFile_(this, folder.isEmpty() ? QString() : folder + QStringLiteral("/*"));
    if (path.isEmpty()) return;
    try {
        // Read before asking: the question is for GIFs, told by their content.
        PictureFile file = readPictureFile(path.toStdString());
        const bool transparent = file.kind == PictureKind::Gif &&
                                 ask_(this, QStringLiteral("Confirm"), QStringLiteral("Transparent Image?"));
        ClipartPicture clipart = clipartFromFile(std::move(file), transparent);
        if (clipart.keyed) {
            // Keyed clipart leaves the picture's outer colour at the document's
            // key, which a GIF save still treats as transparent.
            clipart.picture.setOuterColor(outerColorForKey(document_.keyColor()));
            document_.setSourceOuterColorFromKey(document_.keyColor());
        }
        placeOverlay(Overlay{{}, std::move(clipart.picture)});
    } catch (...) {
        selectArrowTool();
        throw;
    }
}

void MainWindow::insertText() {
    if (!document_.pictureLoaded()) return;
    const std::optional<TextStyle> style = chooseTextStyle_(this, *textStyle_);
    if (!style) return;
    *textStyle_ = *style;
    const QString text = askText_(this);
    if (text.isEmpty()) return;
    try {
        placeOverlay(Overlay{{}, textPicture(text, *textStyle_)});
    } catch (...) {
        selectArrowTool();
        throw;
    }
}

// At its natural size, centred on the middle of the part of the picture that
// is scrolled into sight.
void MainWindow::placeOverlay(Overlay overlay) {
    QWidget* viewport = scrollArea_->viewport();
    const QRect seen = QRect(view_->mapFrom(viewport, QPoint(0, 0)), viewport->size()) & view_->rect();
    const QRect area = seen.isEmpty() ? view_->rect() : seen;
    const QPoint centre((2 * area.left() + area.width()) / 2, (2 * area.top() + area.height()) / 2);
    const QPoint p = view_->viewToPicture(centre);
    overlay.location = centredRect(static_cast<float>(p.x()), static_cast<float>(p.y()),
                                   static_cast<float>(overlay.picture->width()),
                                   static_cast<float>(overlay.picture->height()));
    overlayController_->insert(std::move(overlay));
}

void MainWindow::deleteSelection() { overlayController_->deleteSelection(); }

void MainWindow::setLayersVisible(bool visible) { overlayController_->setLayersVisible(visible); }

}  // namespace mugwarp
