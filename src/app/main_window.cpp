#include "app/main_window.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include "app/about_window.h"
#include "app/brush_guides.h"
#include "app/filters_menu.h"
#include "app/help_window.h"
#include "app/artwork.h"
#include "app/image_view.h"
#include "app/insert_text_dialog.h"
#include "app/overlay_controller.h"
#include "app/status_line.h"
#include "app/picture_file_dialog.h"
#include "app/picture_printing.h"
#include "app/recovery_keeper.h"
#include <QPrinter>
#include "app/text_style_dialog.h"
#include "text/text_picture.h"

namespace mugwarp {

MainWindow::MainWindow(StartupOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      reporter_(messageBoxReporter(this)),
      chooseOpenFile_([](QWidget* parentWidget, const QString& suggestion) {
          return PictureFileDialog::askOpenPicture(parentWidget, suggestion);
      }),
      chooseSaveFile_([](QWidget* parentWidget, const QString& suggestion) {
          return PictureFileDialog::askSavePicture(parentWidget, suggestion);
      }),
      ask_(askYesNo),
      askSaveChanges_(askSaveChanges),
      askRecover_(askRecoverPicture),
      chooseTextStyle_(chooseTextStyle),
      askText_(InsertTextDialog::askText),
      printerFor_(defaultPrinter),
      textStyle_(std::make_unique<TextStyle>(TextStyle::initial())) {
    setObjectName(QStringLiteral("MugStudio"));
    setWindowTitle(kStartTitle);
    setWindowIcon(applicationIcon());
    setGeometry(175, 117, 981, 806);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);

    buildFileMenu();
    buildEditMenu();
    buildMugwarpMenu();
    buildViewMenu();
    buildInsertMenu();
    buildHelpMenu();
    buildFiltersMenu();
    buildToolBar();
    buildWarpSettingsBar();
    buildView();
    status_ = new StatusLine(this);
    setStatusBar(status_);
    buildToolPalette();
    buildBrushCommands();
    buildCaricatureCommand();  // last on the Mugwarp menu, after the freeze commands

    // Only File (without Save and Save As), Help and the toolbar start enabled.
    for (QMenu* menu : {menus_.edit, menus_.mugwarp, menus_.view, menus_.insert}) menu->menuAction()->setEnabled(false);
    for (QAction* action : {actions_.save, actions_.saveAs, actions_.putty, actions_.warp, actions_.twirl,
                            actions_.original, actions_.zoomIn, actions_.zoomOut, actions_.fitInWindow})
        action->setEnabled(false);

    document_.setBaseDir(QDir::currentPath().toStdString());
    document_.setDisplayChangeHandler([this](const Rect& r) {
        view_->pictureChanged(QRect(r.left, r.top, r.width(), r.height()));
    });
    view_->setSurface(&document_.display());
    startKeepingRecovery();
    document_.setHistoryChangeHandler([this] {
        updateHistoryActions();
        if (recovery_) recovery_->documentChanged();
    });
    overlayController_ = new OverlayController(overlays_, document_, view_, this);
    overlayController_->setErrorReporter([this](const QString& message) { reporter_(message); });
    watchSessionEnd();

    strokeTimer_.setInterval(50);
    connect(&strokeTimer_, &QTimer::timeout, this, [this] { run([this] { strokeTimerTick(); }); });

    about_ = std::make_unique<AboutWindow>(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::run(const std::function<void()>& command) { runReportingErrors(reporter_, command); }

QAction* MainWindow::addCommand(QMenu* menu, const QString& caption, const char* name, std::function<void()> command) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { run(command); });
    if (menu) menu->addAction(action);
    return action;
}

void MainWindow::buildToolBar() {
    mainToolBar_ = addToolBar(QStringLiteral("Standard"));
    mainToolBar_->setObjectName(QStringLiteral("ToolBar1"));
    mainToolBar_->setMovable(false);
    mainToolBar_->setIconSize(QSize(16, 16));
    actions_.open->setIcon(toolbarIcon(ToolbarPicture::Open));
    actions_.save->setIcon(toolbarIcon(ToolbarPicture::Save));
    actions_.print->setIcon(toolbarIcon(ToolbarPicture::Print));
    actions_.undo->setIcon(toolbarIcon(ToolbarPicture::Undo));
    actions_.redo->setIcon(toolbarIcon(ToolbarPicture::Redo));
    actions_.tutorial->setIcon(toolbarIcon(ToolbarPicture::Tutorial));
    actions_.reload = addCommand(nullptr, QStringLiteral("Reload"), "reloadAction", [this] { reload(); });
    actions_.reload->setIcon(toolbarIcon(ToolbarPicture::Reload));

    const auto addButton = [this](QAction* action) {
        mainToolBar_->addAction(action);
        if (QWidget* button = mainToolBar_->widgetForAction(action)) {
            button->setFixedSize(30, 25);
            button->setFocusPolicy(Qt::NoFocus);
        }
    };
    const auto addGap = [this](int width) {
        auto* gap = new QWidget(mainToolBar_);
        gap->setFixedWidth(width);
        mainToolBar_->addWidget(gap);
    };
    addButton(actions_.open);
    addButton(actions_.save);
    addButton(actions_.print);
    addGap(12);
    addButton(actions_.reload);
    addButton(actions_.undo);
    addButton(actions_.redo);
    // Steps are packed in the background, so the memory figure is taken
    // afresh whenever a tooltip is about to show.
    for (QAction* action : {actions_.undo, actions_.redo})
        if (QWidget* button = mainToolBar_->widgetForAction(action)) button->installEventFilter(this);
    addGap(8);
    addButton(actions_.tutorial);
}

void MainWindow::buildView() {
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea_->setBackgroundRole(QPalette::Button);
    // The picture sits one pixel below the top of the scrolled area.
    canvas_ = new QWidget;
    canvas_->setObjectName(QStringLiteral("viewCanvas"));
    canvas_->setBackgroundRole(QPalette::Button);
    canvas_->setAutoFillBackground(true);
    view_ = new ImageView(canvas_);
    view_->setObjectName(QStringLiteral("DstImg"));
    view_->move(0, 1);
    view_->hide();
    canvas_->resize(0, 1);
    scrollArea_->setWidget(canvas_);
    setCentralWidget(scrollArea_);

    connect(view_, &ImageView::pressed, this, [this](QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        run([&] { onViewPressed(p, button, buttons); });
    });
    connect(view_, &ImageView::moved, this, [this](QPoint p, Qt::MouseButtons buttons) {
        run([&] { onViewMoved(p, buttons); });
    });
    connect(view_, &ImageView::released, this, [this](QPoint, Qt::MouseButton, Qt::MouseButtons) {
        run([&] { onViewReleased(); });
    });
    // The wheel zooms or sizes the brush instead of scrolling.
    scrollArea_->viewport()->installEventFilter(this);
    view_->installEventFilter(this);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.constFirst().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.constFirst().isLocalFile()) return;
    event->acceptProposedAction();
    const QString path = urls.constFirst().toLocalFile();
    // The drop ends once the question is answered, outside the drag's own loop.
    QTimer::singleShot(0, this, [this, path] { openPicture(path); });
}

}  // namespace mugwarp
