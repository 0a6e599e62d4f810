#pragma once
#include <QObject>
#include <QPoint>
#include <optional>

#include "app/error_reporter.h"
#include "app/image_view.h"
#include "edit/overlay_stack.h"
#include "edit/selection_geometry.h"

namespace mugwarp {

class Document;

// The overlay objects as the user works with them in the view: draws them
// and the selection frame, selects with the arrow tool, moves and resizes by
// dragging the frame, and shows by the pointer what a drag will do. Installed
// as an event filter on the view, it takes the mouse only while the arrow
// tool is active and the overlays are shown. Inserting, deleting and each
// whole drag are steps of the document's history.
class OverlayController : public QObject, public ViewLayers {
    Q_OBJECT
public:
    OverlayController(OverlayStack& overlays, Document& document, ImageView* view, QObject* parent = nullptr);
    // Where an error of a drag's step goes (the mouse has no command to throw from).
    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }

    // Puts an overlay on top and selects it (when the tool allows selecting).
    std::size_t insert(Overlay overlay);
    // Selects an overlay or none. Ignored while a warp or flat tool is active.
    void setSelection(std::optional<std::size_t> index);
    std::optional<std::size_t> selection() const { return selection_; }
    // Deletes the selected overlay; nothing when none is.
    void deleteSelection();
    // Shows or hides every overlay; either way nothing stays selected.
    void setLayersVisible(bool visible);
    // Drops every overlay (a new picture was opened).
    void clear();
    // Ends a drag under way as its step (before Undo, Redo or a save).
    void finishDrag();
    // Undo or Redo changed the overlays: nothing stays selected, all repaint.
    void overlaysChanged();

    // The selection frame in view pixels; empty when nothing is selected.
    QRect frameRect() const;

    void renderInto(QImage& buffer, const QRect& viewArea) const override;
    void paintOver(QPainter& painter, const QRect& viewArea) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool arrowMode() const;
    bool mousePressed(QPoint p, Qt::MouseButton button);
    bool mouseMoved(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    bool mouseReleased();
    void endDrag();
    void moveSelectionTo(const FloatRect& location);
    void repaintOverlay(std::size_t index);

    OverlayStack& overlays_;
    Document& document_;
    ErrorReporter reporter_;
    ImageView* view_;
    std::optional<std::size_t> selection_;

    FrameDrag drag_ = FrameDrag::None;
    QPoint dragStartView_;
    FloatRect dragStartFrame_;
};

}  // namespace mugwarp
