#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/key_color.h"
#include "document/object_step.h"
#include "document/tool_code.h"
#include "formats/photo_info.h"
#include "document/undo_history.h"
#include "raster/color.h"
#include "raster/displacement_map.h"
#include "raster/geometry.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"
#include "raster/remap_transform.h"
#include "warp/stroke_target.h"

namespace mugwarp {

// The one open picture and everything kept for it: the undeformed source, the
// displayed surface rendered from it through the deformation, the history of
// changes with the picture as it stood before the change under way, and the
// flat copy used by the flat-image tools. Zoom and view size belong to the
// application; the document works in picture pixels only.
//
// Between commands: source, display, deformation map and flat picture all
// have the picture's size; the map is the identity right after a load, a
// rebase, an undo or a rebuild, and the display then holds the picture itself.
class Document final : public StrokeTarget {
public:
    using ChangeHandler = std::function<void(const Rect&)>;

    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- Picture ---------------------------------------------------------
    // Loads pictureFileName(). Decodes first: a file that cannot be read
    // throws Error and leaves the document exactly as it was. Does not touch
    // zoom, view size, overlays or title (the caller's business).
    void loadPicture();
    // Sets pictureFileName() to path, then loads it (the file name too is
    // kept unchanged when decoding fails). Another picture: the history is
    // cleared.
    void loadPicture(const std::string& path);
    // Makes a picture kept for recovery the document's, as shown then (the
    // deformation baked in), with a fresh history and unsaved.
    void loadRecovered(PixelSurface picture, PlatformColor key, Argb outer, const std::string& pictureFileName);
    // Makes work kept in a project file the document's, exactly as it stood:
    // the undeformed source, the picture as shown (empty: the source), the
    // deformation between them (empty: none) and the freeze mask (empty:
    // nothing frozen), with a fresh history and saved. Every size is checked
    // before the first field changes (Error on a mismatch).
    void loadProject(PixelSurface source, PixelSurface display, DisplacementMap deformation, ByteMap freezeMask,
                     PlatformColor key, Argb outer, const std::string& pictureFileName);
    // Reads the file again (File > Reload, and the GIF just written by Save)
    // as one undoable change of the same document: the history stays, and
    // Undo brings back the picture as it was before the reload.
    void reloadPicture(const std::string& path);
    void reloadPicture() { reloadPicture(std::string(pictureFileName_)); }
    // The camera's information (EXIF, XMP, IPTC) of the photo last opened,
    // for saves that keep it; empty for pictures that carried none.
    const PhotoInfo& photoInfo() const { return photoInfo_; }
    // What the last open had to say besides the picture (an animation's
    // first frame, an ignored colour profile).
    const std::vector<std::string>& loadNotes() const { return loadNotes_; }

    // Makes picture the new undeformed source and display and clears the
    // deformation, baking in what was shown. clearBorder makes the source's
    // outermost rows and columns transparent (not the display's).
    // Image Size, rotations and filter runs pass true; crop passes false.
    // The size of the picture follows the new picture.
    void rebasePicture(const PixelSurface& picture, bool clearBorder);
    void rebasePicture(const PlatformBitmap& picture, bool clearBorder);
    // The same with the display surface itself as the picture (rotations
    // that work in place, filter runs).
    void rebaseFromDisplay(bool clearBorder);

    // Identity deformation at the source's size; remap rectangles reset.
    void resetDeformation();
    // After the flat tools edited the source: display := source, deformation
    // reset. The application hides the flat picture.
    void rebuildFromSource();

    // Restore: takes back every deformation made since the picture was last
    // rebased, keeping the previous display as the undo picture.
    void restore();

    // --- Freeze mask -------------------------------------------------------
    // How much each pixel is kept from moving: an empty 0 x 0 map while
    // nothing is frozen, otherwise the picture's size, 0 free to 255 fully
    // frozen. Never part of the picture: not saved, printed or filtered.
    const ByteMap& freezeMask() const { return freeze_; }
    // Replaces the mask (the picture's size, or empty for none) as part of the
    // state shown now, with no step of its own (loads of project and recovery
    // files). Throws Error for a mask of another size, changing nothing.
    void setFreezeMask(ByteMap mask);
    // Mugwarp > Freeze None and Invert Freeze (nothing frozen becomes all
    // frozen): one step each.
    void freezeNone();
    void invertFreeze();
    // The mask the picture takes with the canvas change the next rebase makes
    // (a rotation, Image Size, a crop), in the same step. Without one, a
    // rebase that changes the size drops the mask.
    void carryFreezeMask(ByteMap mask) { carriedFreeze_ = std::move(mask); }

    // --- Tool modes (the document's side of choosing a tool) ---------------
    // Arrow tool: leaves the flat tools (rebuildFromSource) if one is active;
    // the current tool becomes Arrow.
    void selectArrowTool();
    // Erase, Paint, Pick Colour or Crop: snapshots for undo and, coming from
    // the arrow or a warp tool, bakes what is shown into the source (the
    // deformation stays until the flat mode ends) and refreshes the flat
    // picture. Returns whether the flat mode was entered, i.e. the application
    // now shows the flat picture over the view. Does nothing and returns
    // false without a picture.
    bool selectFlatTool(ToolCode tool);

    // The flat picture := the display with its checkerboard (after a canvas
    // operation changed the picture while a flat-image tool is active).
    void refreshFlatPicture() const;

    // --- Undo history ----------------------------------------------------
    // Every change of the displayed picture is one step of the history: a
    // warp stroke, an Erase or Paint stroke, a crop, Image Size, a rotation, a
    // filter run, Restore, a reload. A change begins with snapshotForUndo()
    // (or beginUndoableChange()) and ends with commitChange(); commands that
    // rebase the picture end their step themselves. A change that left every
    // pixel as it was is no step.
    //
    // Begins a change: ends the one under way, so that the picture as shown
    // now is where Undo returns to.
    void snapshotForUndo();
    // Ends the change under way as one step (nothing when no pixel changed).
    void commitChange();
    struct UndoResult {
        bool applied = false;       // false with nothing to undo or redo
        bool sizeRestored = false;  // the step changed the picture's size:
                                    // the application sets zoom 100 and resizes
        bool objectsChanged = false;  // the step was an object's (an overlay's):
                                      // the picture stayed as it was
    };
    // Source, display and flat picture := the picture before the last step
    // (the flat picture with its checkerboard); deformation reset. Again goes
    // further back.
    UndoResult undo();
    // Source, display and flat picture := the picture after the step last
    // undone, as it was shown; deformation reset.
    UndoResult redo();
    bool canUndo() const { return changePending() || history_.canUndo(); }
    bool canRedo() const { return !changePending() && history_.canRedo(); }
    // Steps Undo and Redo can take and the memory the history takes (for
    // their tooltips). A change under way counts as the step Undo takes
    // first, and leaves none to redo.
    HistoryUsage historyUsage() const;
    // The history's memory budget (512 MB unless set); the oldest steps go
    // first when it is exceeded, the last step never.
    void setHistoryBudget(std::size_t bytes) { history_.setBudget(bytes); }
    // Records a change of an object kept with the picture (already made) as
    // one step, after the picture's change under way.
    void recordObjectStep(std::unique_ptr<ObjectStep> step);

    // --- Saved state -----------------------------------------------------
    // Whether the document changed since it was loaded or last saved: a
    // change under way or any step counts; undoing or redoing back to the
    // state saved counts as unchanged.
    bool isModified() const { return changePending() || history_.stateId() != savedState_; }
    // What is shown now has been written (ends the change under way first).
    void markSaved();
    // The document holds work that was never saved (a recovered picture):
    // modified until saved, whatever Undo does.
    void markNeverSaved();
    // Changes whenever the document reaches another state (for keeping a
    // recovery copy up to date); the same after coming back by Undo or Redo.
    std::uint64_t stateId() const { return history_.stateId(); }

    // For a session that can no longer undo (a script with no Undo or Redo
    // left to run): the steps kept so far are dropped, and from now on no
    // change is kept as a step nor the picture copied before a change. Undo
    // and Redo then find nothing to do. It cannot be turned back on.
    void stopKeepingHistory();
    bool keepingHistory() const { return keepingHistory_; }

    // Large steps are packed in the background; this waits for that.
    void waitForHistoryPacking() const { history_.waitUntilPacked(); }
    // Called whenever what canUndo(), canRedo() or historyUsage() answer may
    // have changed.
    void setHistoryChangeHandler(std::function<void()> handler) { onHistoryChange_ = std::move(handler); }

    // --- Flat-image tools ------------------------------------------------
    // Erase (tool Erase) or paint (tool Paint, alpha 254 in paintColor()) the
    // (n + 1) x (n + 1) square at (column, row) of source and display, both
    // written directly without change notification. Negative corners count
    // as 0; the square is clipped to the picture. Returns the rectangle
    // written (empty when nothing was, e.g. for another tool).
    Rect erase(int column, int row, int n);

    // --- Surfaces --------------------------------------------------------
    const PixelSurface& source() const { return source_; }
    PixelSurface& source() { return source_; }
    const PixelSurface& display() const { return display_; }
    PixelSurface& display() { return display_; }
    const RemapTransform& remap() const { return remap_; }
    const DisplacementMap& deformation() const { return remap_.displacementMap(); }
    // The picture as it stood when the change under way began.
    const PixelSurface& undoPicture() const { return *undo_; }
    // Made again on first use after Undo or Redo outside the flat tools.
    const PlatformBitmap& flatPicture() const {
        if (flatStale_) refreshFlatPicture();
        return flat_;
    }
    PlatformBitmap& flatPicture() {
        if (flatStale_) refreshFlatPicture();
        return flat_;
    }

    // Called with the display rectangle that changed whenever the displayed
    // pixels change (brush applications, loads, rebases, undo). Not called
    // for erase(), whose caller repaints the flat picture.
    void setDisplayChangeHandler(ChangeHandler handler);

    // --- Fields ----------------------------------------------------------
    bool pictureLoaded() const override { return pictureLoaded_; }
    int pictureWidth() const { return pictureWidth_; }
    int pictureHeight() const { return pictureHeight_; }

    ToolCode currentTool() const { return currentTool_; }
    void setCurrentTool(ToolCode tool) { currentTool_ = tool; }

    // Whether the change under way changed the picture's size (set by the
    // canvas operations and crop, so that undoing them resets the zoom).
    bool sizeChanged() const { return sizeChanged_; }
    void setSizeChanged(bool on) { sizeChanged_ = on; }

    const std::string& pictureFileName() const { return pictureFileName_; }
    void setPictureFileName(std::string path) { pictureFileName_ = std::move(path); }
    const std::string& documentFileName() const { return documentFileName_; }
    void setDocumentFileName(std::string path) { documentFileName_ = std::move(path); }
    const std::string& baseDir() const { return baseDir_; }
    void setBaseDir(std::string dir) { baseDir_ = std::move(dir); }

    // 0xFDFEFF for pictures that are not GIF; the GIF's transparent colour
    // (or kNoKeyColor) otherwise. Used when saving as GIF.
    PlatformColor keyColor() const { return keyColor_; }
    // Outer colour of the source and display: written where the deformation
    // points outside the picture and by the eraser.
    Argb outerColor() const { return source_.outerColor(); }
    // Inserting GIF clipart as transparent keys the source's outer colour.
    void setSourceOuterColorFromKey(PlatformColor key) { source_.setOuterColor(outerColorForKey(key)); }

    PlatformColor paintColor() const { return paintColor_; }
    void setPaintColor(PlatformColor c) { paintColor_ = c; }
    // Edge of the Erase/Paint square in view pixels.
    int eraseSize() const { return eraseSize_; }
    void setEraseSize(int size) { eraseSize_ = size; }

    // --- StrokeTarget ----------------------------------------------------
    WarpCanvas warpCanvas() override;
    void beginUndoableChange() override;
    void endUndoableChange() override { commitChange(); }
    void enterWarpTool(int toolCode) override;
    bool warpToolActive() const override { return isWarpTool(currentTool_); }

private:
    void installPicture(PixelSurface& picture, PlatformColor key, Argb outer, const std::string& path);
    PictureTraits traits() const;
    void commitChange(const PictureTraits& before);
    void setOuterColors(Argb color);
    bool changePending() const { return !pendingRect_.isEmpty(); }
    void markChanged(const Rect& r);
    void historyChanged() const;
    UndoResult showStep(bool undoing);
    struct FreezeChange {
        bool changed = false;
        std::unique_ptr<ObjectStep> step;  // null when no history is kept
    };
    // The mask's change since the last step, once.
    FreezeChange takeFreezeChange();
    void dropFreezeMask();
    void fitFreezeMask();

    PixelSurface source_;
    PixelSurface display_;
    RemapTransform remap_;
    std::shared_ptr<PixelSurface> undo_ = std::make_shared<PixelSurface>();
    mutable PlatformBitmap flat_;
    mutable bool flatStale_ = false;
    UndoHistory history_;
    Rect pendingRect_;  // where the display may differ from undo_
    ByteMap freeze_;
    ByteMap freezeKept_;  // the mask as of the last step (while history is kept)
    std::optional<ByteMap> carriedFreeze_;
    bool freezeTouched_ = false;  // a brush or command may have changed the mask
    ChangeHandler onDisplayChange_;
    std::function<void()> onHistoryChange_;

    std::uint64_t savedState_ = 0;
    bool keepingHistory_ = true;
    // The map is known to be all zeros (nothing has written to it since it
    // was last cleared), so clearing it again is skipped: 8 bytes a pixel.
    bool deformationCleared_ = false;
    bool pictureLoaded_ = false;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    ToolCode currentTool_ = ToolCode::Arrow;
    bool sizeChanged_ = false;
    std::string pictureFileName_;
    PhotoInfo photoInfo_;
    std::vector<std::string> loadNotes_;
    std::string documentFileName_;
    std::string baseDir_;
    PlatformColor keyColor_ = 0;
    PlatformColor paintColor_ = 0;
    int eraseSize_ = 26;
};

}  // namespace mugwarp
