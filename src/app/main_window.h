#pragma once
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "app/cursors.h"
#include "app/error_reporter.h"
#include "app/overlay_stack.h"
#include "app/startup_options.h"
#include "app/tool_palette.h"
#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/flat_tools.h"
#include "edit/morph_animation.h"
#include "warp/stroke_controller.h"

class QAction;
class QCheckBox;
class QFont;
class QLabel;
class QPrinter;
class QMenu;
class QScrollArea;
class QSessionManager;
class QSlider;
class QSpinBox;
class QToolBar;

namespace mugwarp {

class AboutWindow;
class CaricaturePanel;
class BrushGuides;
class RecoveryKeeper;
struct RecoverySnapshot;
class FlatView;
class ImageSizeDialog;
class FiltersMenu;
class HelpWindow;
class ImageView;
class StatusLine;
class OverlayController;
class PaletteDock;
struct TextStyle;

// The standard Yes/No question box.
bool askYesNo(QWidget* parent, const QString& caption, const QString& text);
// The question before unsaved changes would be lost: Save, Discard or Cancel.
QMessageBox::StandardButton askSaveChanges(QWidget* parent, const QString& text);
// The start-up offer of a picture an ended editor left unsaved.
enum class RecoveryAnswer { Recover, Discard, Later };
RecoveryAnswer askRecoverPicture(QWidget* parent, const QString& text);

// The main window: menus, toolbars and the zoomable view around the one open
// document. It turns input into document commands and draws the document;
// the work itself happens in the document and the stroke controller.
// Split by menu: main_window_file.cpp, _edit, _mugwarp, _view, _help, _input;
// tool selection and the palette in _tools, the flat-image tools' mouse in _flat.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kStartTitle = QStringLiteral("Mugwarp Studio  3.0");

    // Asks for a file name; empty means cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& suggestion)>;
    using UrlOpener = std::function<bool(const QUrl&)>;
    // Asks a yes/no question (caption, text); true means Yes.
    using Question = std::function<bool(QWidget* parent, const QString& caption, const QString& text)>;
    // Asks whether to save unsaved changes (text); Save, Discard or Cancel.
    using SaveChangesQuestion = std::function<QMessageBox::StandardButton(QWidget* parent, const QString& text)>;
    using RecoveryQuestion = std::function<RecoveryAnswer(QWidget* parent, const QString& text)>;
    // Asks for the font and colour of a text overlay; nullopt means cancelled.
    using TextStyleChooser = std::function<std::optional<TextStyle>(QWidget* parent, const TextStyle& current)>;
    // Asks for the line of text (the Insert Text dialog); empty inserts nothing.
    using TextAsker = std::function<QString(QWidget* parent)>;
    // The printer a Print job goes to; throws Error when there is none.
    using PrinterProvider = std::function<std::unique_ptr<QPrinter>()>;
    // Asks for the frames, delay and playing of File > Export Animation; nullopt means cancelled.
    using AnimationAsker = std::function<std::optional<AnimationOptions>(QWidget* parent, const AnimationOptions& current)>;

    explicit MainWindow(StartupOptions options = StartupOptions::quick(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Seams for tests and embedding: where messages and file choices go.
    // Defaults: message box, picture dialogs, desktop browser.
    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
    void setOpenFileChooser(FileChooser chooser) { chooseOpenFile_ = std::move(chooser); }
    void setSaveFileChooser(FileChooser chooser) { chooseSaveFile_ = std::move(chooser); }
    // Where the help window's "Open in the web browser" sends the page.
    void setUrlOpener(UrlOpener opener);
    void setQuestion(Question question) { ask_ = std::move(question); }
    void setSaveChangesQuestion(SaveChangesQuestion question) { askSaveChanges_ = std::move(question); }
    void setRecoveryQuestion(RecoveryQuestion question) { askRecover_ = std::move(question); }
    void setTextStyleChooser(TextStyleChooser chooser) { chooseTextStyle_ = std::move(chooser); }
    void setTextAsker(TextAsker asker) { askText_ = std::move(asker); }
    void setPrinterProvider(PrinterProvider provider) { printerFor_ = std::move(provider); }
    void setAnimationAsker(AnimationAsker asker) { askAnimation_ = std::move(asker); }

    // Commands, as the menus and toolbar run them (errors go to the reporter).
    bool openPicture(const QString& path);
    void open();
    // True once the picture is written; false when Save As was cancelled.
    bool save();
    bool saveAs();
    // Projects and the animation (main_window_project.cpp). Save Project
    // writes the open project, or asks for a name as Save Project As does.
    bool saveProject();
    bool saveProjectAs();
    void exportAnimation();
    void reload();
    void undo();
    void redo();
    void selectWarpTool(WarpTool tool);
    void selectArrowTool();
    // Erase, Paint, Pick Colour or Crop: the flat picture lies over the view.
    void selectFlatTool(ToolCode tool);
    // The palette's size menu and colour selector.
    void chooseSquareSize(int size, int cursorNumber);
    void choosePaintColour(const QColor& colour);
    void restore();
    // Edit > Image Size: asks with the dialog, then resizes.
    void resizeImage();
    void resizePictureTo(int width, int height);
    void rotateCanvas(Rotation rotation);
    void zoomOriginal();
    void zoomIn();
    void zoomOut();
    // View > Fit in Window: the largest zoom that shows the whole picture.
    void zoomToFit();
    void showTutorial();
    void showAbout();

    // Overlays (main_window_insert.cpp): Insert > Clipart, Talk Bubble and
    // Text, the palette's Delete button, and showing or hiding every overlay
    // (the arrow tool shows them, the warp and flat tools hide them).
    void insertClipart();
    void insertTalkBubble();
    void insertText();
    void deleteSelection();
    void setLayersVisible(bool visible);
    // File > Print and the toolbar's Print button (main_window_print.cpp).
    void print();
    // Mugwarp > Caricature... (main_window_caricature.cpp): the face panel.
    void openCaricaturePanel();
    CaricaturePanel* caricaturePanel() const;

    // One expiry of the 50 ms stroke timer.
    void strokeTimerTick();

    // The freeze mask and the mesh (main_window_brushes.cpp): Mugwarp >
    // Freeze None and Invert Freeze, View > Show Freeze Mask and Show Mesh,
    // and whether a pen's pressure sets the brush's size (else its strength).
    void freezeNone();
    void invertFreeze();
    void setPenSetsSize(bool on);
    const BrushGuides& brushGuides() const { return *guides_; }
    QCheckBox* penSizeToggle() const { return penSetsSize_; }

    const Document& document() const { return document_; }
    const StrokeController& strokes() const { return strokes_; }
    ImageView* view() const { return view_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    int zoomPercent() const { return zoomPercent_; }
    const QTimer& strokeTimer() const { return strokeTimer_; }
    QSlider* sizeBar() const { return sizeBar_; }
    QSlider* effectBar() const { return effectBar_; }
    // The number beside each slider, editable, always in step with it.
    QSpinBox* sizeBox() const { return sizeBox_; }
    QSpinBox* effectBox() const { return effectBox_; }
    // Size and Effect with their numbers, shown while a warp tool is active.
    // Hidden, they keep their room, so that the picture never moves.
    QWidget* warpSettingsBar() const { return warpSettings_; }
    StatusLine* statusLine() const { return status_; }
    HelpWindow* helpWindow() const { return help_.get(); }
    AboutWindow* aboutWindow() const { return about_.get(); }
    FiltersMenu* filtersMenu() const { return filters_.get(); }
    const CursorTable& cursors() const { return cursors_; }
    OverlayStack& overlays() { return overlays_; }
    ToolPalette* toolPalette() const { return palette_; }
    // Floating beside the window or docked inside its left edge.
    PaletteDock* paletteDock() const { return paletteDock_; }
    // The window's recovery copy; none when started without a recovery folder.
    RecoveryKeeper* recoveryKeeper() const { return recovery_.get(); }
    // Offers the copies ended editors left (start-up does this once).
    void offerRecovery();
    FlatView* flatView() const { return flatView_; }
    ImageSizeDialog* imageSizeDialog() const { return imageSizeDialog_; }
    const FlatTools& flatTools() const { return flatTools_; }

    // What the view shows and the mouse does there: overlays to select
    // (arrow), the brush outline over the warped picture (warp), or the flat
    // picture over the view (flat).
    enum class ViewMode { Arrow, Warp, Flat };
    ViewMode viewMode() const { return viewMode_; }
    OverlayController& overlayController() const { return *overlayController_; }

    struct Actions {
        QAction* open = nullptr;
        QAction* save = nullptr;
        QAction* saveAs = nullptr;
        QAction* exit = nullptr;
        QAction* undo = nullptr;
        QAction* redo = nullptr;
        QAction* restore = nullptr;
        QAction* imageSize = nullptr;
        QAction* rotate180 = nullptr;
        QAction* rotateClockwise = nullptr;
        QAction* rotateCounterClockwise = nullptr;
        QAction* putty = nullptr;
        QAction* warp = nullptr;
        QAction* twirl = nullptr;
        QAction* reconstruct = nullptr;
        QAction* smooth = nullptr;
        QAction* freeze = nullptr;
        QAction* thaw = nullptr;
        QAction* freezeNone = nullptr;
        QAction* invertFreeze = nullptr;
        QAction* showFreezeMask = nullptr;  // View, checkable
        QAction* showMesh = nullptr;        // View, checkable
        QAction* original = nullptr;
        QAction* zoomIn = nullptr;
        QAction* zoomOut = nullptr;
        QAction* fitInWindow = nullptr;
        QAction* fitLargePictures = nullptr;  // checkable preference
        QAction* tutorial = nullptr;
        QAction* about = nullptr;
        QAction* reload = nullptr;  // toolbar only
        QAction* print = nullptr;
        QAction* clipart = nullptr;
        QAction* talkBubble = nullptr;
        QAction* text = nullptr;
        QAction* loadFilters = nullptr;
        QAction* caricature = nullptr;
        QAction* saveProject = nullptr;
        QAction* saveProjectAs = nullptr;
        QAction* exportAnimation = nullptr;
    };
    const Actions& actions() const { return actions_; }

    struct Menus {
        QMenu* file = nullptr;
        QMenu* edit = nullptr;
        QMenu* mugwarp = nullptr;
        QMenu* view = nullptr;
        QMenu* insert = nullptr;
        QMenu* help = nullptr;
        QMenu* filters = nullptr;
    };
    const Menus& menus() const { return menus_; }

signals:
    // The start-up pause is over and the window is ready for work.
    void startupFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Builders (main_window.cpp and the per-menu files).
    void buildFileMenu();
    void buildEditMenu();
    void buildMugwarpMenu();
    void buildCaricatureCommand();
    void buildViewMenu();
    void buildInsertMenu();
    void buildHelpMenu();
    void buildFiltersMenu();  // main_window_filters.cpp
    void buildLoadFiltersCommand(QMenu* fileMenu);
    void buildProjectCommands(QMenu* fileMenu);
    void buildToolBar();
    void buildWarpSettingsBar();
    void buildView();
    void buildToolPalette();
    void buildBrushCommands();  // main_window_brushes.cpp
    void repaintFreezeStroke(const Rect& pictureRect);
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
    void showProject(const std::string& path);
    void writeProjectTo(const QString& path);

    // Unsaved changes (main_window_closing.cpp). Before the picture is closed
    // or replaced: asks whether to save them; false means keep the picture.
    bool settleUnsavedChanges();
    bool saveBeforeClosing();
    QString documentDisplayName() const;
    void watchSessionEnd();
    void commitSessionData(QSessionManager& manager);
    // The user let the unsaved changes go / the picture is closed or replaced.
    void changesDiscarded();
    void pictureLeft();
    // Recovery (main_window_recovery.cpp).
    void startKeepingRecovery();
    void installRecovered(RecoverySnapshot snapshot, const std::filesystem::path& copy);

    // Overlay helpers.
    void insertPictureFrom(const QString& folderName);
    void placeOverlay(Overlay overlay);

    // View helpers.
    void setZoom(int percent, std::optional<QPoint> anchor = std::nullopt);
    void applyZoomToView();
    void stepZoomFine(int notches, std::optional<QPoint> anchor = std::nullopt);
    QSize roomForPicture() const;
    int zoomForNewPicture() const;

    // Tool modes (main_window_tools.cpp) and the flat view's mouse (main_window_flat.cpp).
    void showViewMode(ViewMode mode);
    // The palette and the status bar follow every change of tool.
    void showActiveTool();
    void buildToolShortcuts();
    void placeToolPalette();
    void setFlatToolCursor(ToolCode tool);
    // A palette button's command, as the palette and the tool keys run it.
    void onPaletteButton(ToolPalette::Button which);
    void onFlatPressed(QPoint viewPoint);
    void onFlatMoved(QPoint viewPoint, Qt::MouseButtons buttons);
    void onFlatReleased();
    void showFlatResult(const FlatTools::Result& result);
    void pictureResized();

    // History (main_window_edit.cpp): ends the gesture under way so that Undo
    // and Redo start from a recorded step; keeps their enabling and tooltips.
    void endGestures();
    void showUndoResult(const Document::UndoResult& result);
    void updateHistoryActions();

    // Input (main_window_input.cpp).
    void onViewPressed(QPoint viewPoint, Qt::MouseButton button, Qt::MouseButtons buttons);
    void onViewMoved(QPoint viewPoint, Qt::MouseButtons buttons);
    void onViewReleased();
    void onWheelNotches(int notchesUp, QPoint anchor);
    void onBrushSizeChanged(int size);
    void onEffectChanged(int effect);
    bool warpToolActive() const;

    StartupOptions options_;
    Document document_;
    StrokeController strokes_{document_};
    FlatTools flatTools_{document_};
    OverlayStack overlays_;
    CursorTable cursors_;
    QTimer strokeTimer_;

    ErrorReporter reporter_;
    FileChooser chooseOpenFile_;
    FileChooser chooseSaveFile_;
    Question ask_;
    SaveChangesQuestion askSaveChanges_;
    RecoveryQuestion askRecover_;
    TextStyleChooser chooseTextStyle_;
    TextAsker askText_;
    PrinterProvider printerFor_;
    AnimationAsker askAnimation_;
    AnimationOptions animationOptions_;  // as last chosen
    std::unique_ptr<TextStyle> textStyle_;

    Actions actions_;
    Menus menus_;
    QToolBar* mainToolBar_ = nullptr;
    QToolBar* warpBar_ = nullptr;
    QWidget* warpSettings_ = nullptr;
    QSlider* sizeBar_ = nullptr;
    QSlider* effectBar_ = nullptr;
    QSpinBox* sizeBox_ = nullptr;
    QSpinBox* effectBox_ = nullptr;
    QCheckBox* penSetsSize_ = nullptr;
    std::unique_ptr<BrushGuides> guides_;
    StatusLine* status_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* canvas_ = nullptr;
    ImageView* view_ = nullptr;
    FlatView* flatView_ = nullptr;
    ToolPalette* palette_ = nullptr;
    PaletteDock* paletteDock_ = nullptr;
    ImageSizeDialog* imageSizeDialog_ = nullptr;
    ViewMode viewMode_ = ViewMode::Arrow;
    OverlayController* overlayController_ = nullptr;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<HelpWindow> help_;
    std::unique_ptr<FiltersMenu> filters_;
    std::unique_ptr<RecoveryKeeper> recovery_;
    QPointer<CaricaturePanel> caricaturePanel_;

    int zoomPercent_ = 0;
    int wheelRemainder_ = 0;
    bool startupDone_ = false;
    bool startupStarted_ = false;
    bool aboutShown_ = false;
    bool offeringRecovery_ = false;
    bool recoveryFailureShown_ = false;  // the recovery folder could not be made
};

}  // namespace mugwarp
