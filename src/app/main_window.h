#pragma once
#include <QMainWindow>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/cursors.h"
#include "app/error_reporter.h"
#include "app/overlay_stack.h"
#include "app/startup_options.h"
#include "document/document.h"
#include "warp/stroke_controller.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QSlider;
class QToolBar;

namespace mugwarp {

class AboutWindow;
class ImageView;

// The main window: menus, toolbars and the zoomable view around the one open
// document. It turns input into document commands and draws the document;
// the work itself happens in the document and the stroke controller.
// Split by menu: main_window_file.cpp, _edit, _mugwarp, _view, _help, _input.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kStartTitle = QStringLiteral("Mugwarp Studio  3.0");

    // Asks for a file name; empty means cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit MainWindow(StartupOptions options = StartupOptions::quick(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Seams for tests and embedding: where messages, file choices and the
    // tutorial go. Defaults: message box, picture dialogs, desktop browser.
    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
    void setOpenFileChooser(FileChooser chooser) { chooseOpenFile_ = std::move(chooser); }
    void setSaveFileChooser(FileChooser chooser) { chooseSaveFile_ = std::move(chooser); }
    void setUrlOpener(UrlOpener opener) { openUrl_ = std::move(opener); }

    // Commands, as the menus and toolbar run them (errors go to the reporter).
    bool openPicture(const QString& path);
    void open();
    void save();
    void saveAs();
    void reload();
    void undo();
    void selectWarpTool(WarpTool tool);
    void selectArrowTool();
    void zoomOriginal();
    void zoomIn();
    void zoomOut();
    void showTutorial();
    void showAbout();

    // One expiry of the 50 ms stroke timer.
    void strokeTimerTick();

    const Document& document() const { return document_; }
    const StrokeController& strokes() const { return strokes_; }
    ImageView* view() const { return view_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    int zoomPercent() const { return zoomPercent_; }
    const QTimer& strokeTimer() const { return strokeTimer_; }
    QSlider* sizeBar() const { return sizeBar_; }
    QSlider* effectBar() const { return effectBar_; }
    QToolBar* warpSettingsBar() const { return warpBar_; }
    AboutWindow* aboutWindow() const { return about_.get(); }
    const CursorTable& cursors() const { return cursors_; }
    OverlayStack& overlays() { return overlays_; }

    struct Actions {
        QAction* open = nullptr;
        QAction* save = nullptr;
        QAction* saveAs = nullptr;
        QAction* exit = nullptr;
        QAction* undo = nullptr;
        QAction* putty = nullptr;
        QAction* warp = nullptr;
        QAction* twirl = nullptr;
        QAction* original = nullptr;
        QAction* zoomIn = nullptr;
        QAction* zoomOut = nullptr;
        QAction* tutorial = nullptr;
        QAction* about = nullptr;
        QAction* reload = nullptr;  // toolbar only
    };
    const Actions& actions() const { return actions_; }

    struct Menus {
        QMenu* file = nullptr;
        QMenu* edit = nullptr;
        QMenu* mugwarp = nullptr;
        QMenu* view = nullptr;
        QMenu* help = nullptr;
    };
    const Menus& menus() const { return menus_; }

signals:
    // The start-up pause is over and the window is ready for work.
    void startupFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Builders (main_window.cpp and the per-menu files).
    void buildFileMenu();
    void buildEditMenu();
    void buildMugwarpMenu();
    void buildViewMenu();
    void buildHelpMenu();
    void buildToolBar();
    void buildWarpSettingsBar();
    void buildView();
    QAction* addCommand(QMenu* menu, const QString& caption, const char* name, std::function<void()> command);

    // Runs a command so that an error it throws is reported and the window goes on.
    void run(const std::function<void()>& command);

    // Start-up (main_window_startup.cpp).
    void runStartupSequence();
    void scanPlugIns();
    void showAboutOnceIfDue();

    // File helpers.
    void loadAndShow(const QString& path);
    void afterPictureLoaded();
    void prepareSave();
    void finishSave();
    void writeTo(const QString& path);
    void setTitleFor(const QString& documentPath);

    // View helpers.
    void setZoom(int percent);
    void applyZoomToView();
    void stepZoomFine(int notches);

    // Input (main_window_input.cpp).
    void onViewPressed(QPoint viewPoint, Qt::MouseButton button, Qt::MouseButtons buttons);
    void onViewMoved(QPoint viewPoint, Qt::MouseButtons buttons);
    void onViewReleased();
    void onWheelNotches(int notchesUp);
    void onBrushSizeChanged(int size);
    void onEffectChanged(int effect);
    bool warpToolActive() const;

    StartupOptions options_;
    Document document_;
    StrokeController strokes_{document_};
    OverlayStack overlays_;
    CursorTable cursors_;
    QTimer strokeTimer_;

    ErrorReporter reporter_;
    FileChooser chooseOpenFile_;
    FileChooser chooseSaveFile_;
    UrlOpener openUrl_;

    Actions actions_;
    Menus menus_;
    QToolBar* mainToolBar_ = nullptr;
    QToolBar* warpBar_ = nullptr;
    QSlider* sizeBar_ = nullptr;
    QSlider* effectBar_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* canvas_ = nullptr;
    ImageView* view_ = nullptr;
    std::unique_ptr<AboutWindow> about_;

    int zoomPercent_ = 0;
    int wheelRemainder_ = 0;
    bool startupDone_ = false;
    bool startupStarted_ = false;
    bool aboutShown_ = false;
};

}  // namespace mugwarp
