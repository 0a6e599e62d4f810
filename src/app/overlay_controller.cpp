#include "app/overlay_controller.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include "app/overlay_renderer.h"
#include "app/selection_frame.h"
#include "document/document.h"
#include "edit/overlay_step.h"

namespace mugwarp {
namespace {

// An overlay can be shrunk to one picture pixel, never turned inside out.
constexpr float kMinimumSize = 1.0f;

}  // namespace

OverlayController::OverlayController(OverlayStack& overlays, Document& document, ImageView* view,
                                     QObject* parent)
    : QObject(parent), overlays_(overlays), document_(document), view_(view) {
    view_->setLayers(this);
    view_->installEventFilter(this);
}

bool OverlayController::arrowMode() const { return document_.currentTool() == ToolCode::Arrow; }

std::size_t OverlayController::insert(Overlay overlay) {
    const std::size_t index = insertOverlay(document_, overlays_, std::move(overlay));
    repaintOverlay(index);
    // Selecting is allowed with the arrow tool and Putty (whose code is 0).
    if (static_cast<int>(document_.currentTool()) <= 0) setSelection(index);
    return index;
}

void OverlayController::setSelection(std::optional<std::size_t> index) {
    if (static_cast<int>(document_.currentTool()) > 0 || index == selection_) return;
    if (index && *index >= overlays_.size()) index.reset();
    endDrag();
    if (selection_) view_->update(SelectionFrame::paintedArea(frameRect()));
    selection_ = index;
    if (selection_) view_->update(SelectionFrame::paintedArea(frameRect()));
}

void OverlayController::deleteSelection() {
    if (!selection_) return;
    endDrag();
    const std::size_t index = *selection_;
    repaintOverlay(index);
    view_->update(SelectionFrame::paintedArea(frameRect()));
    selection_.reset();
    deleteOverlay(document_, overlays_, index);
}

void OverlayController::setLayersVisible(bool visible) {
    endDrag();
    if (selection_) view_->update(SelectionFrame::paintedArea(frameRect()));
    selection_.reset();
    if (overlays_.visible() == visible) return;
    overlays_.setVisible(visible);
    for (std::size_t i = 0; i < overlays_.size(); ++i) repaintOverlay(i);
}

// A drag cut short (another selection, a tool change, a release the view
// never saw) is still one step.
void OverlayController::endDrag() {
    if (drag_ != FrameDrag::None) runReportingErrors(reporter_, [this] { finishDrag(); });
}

void OverlayController::finishDrag() {
    if (drag_ == FrameDrag::None) return;
    drag_ = FrameDrag::None;
    if (selection_) recordOverlayPlaced(document_, overlays_, *selection_, dragStartFrame_);
}

void OverlayController::overlaysChanged() {
    selection_.reset();
    drag_ = FrameDrag::None;
    view_->update();
}

void OverlayController::clear() {
    selection_.reset();
    drag_ = FrameDrag::None;
    overlays_.clear();
    view_->update();
}

QRect OverlayController::frameRect() const {
    if (!selection_ || *selection_ >= overlays_.size() || !overlays_.visible()) return {};
    return coveredViewPixels(pictureToView(overlays_.at(*selection_).location, view_->mapping()));
}

void OverlayController::repaintOverlay(std::size_t index) {
    if (index >= overlays_.size()) return;
    view_->update(coveredViewPixels(pictureToView(overlays_.at(index).location, view_->mapping())));
}

void OverlayController::renderInto(QImage& buffer, const QRect& viewArea) const {
    renderOverlaysInto(buffer, overlays_, view_->mapping(), viewArea);
}

void OverlayController::paintOver(QPainter& painter, const QRect& viewArea) const {
    const QRect frame = frameRect();
    if (!frame.isEmpty() && viewArea.intersects(SelectionFrame::paintedArea(frame))) SelectionFrame::paint(painter, frame);
}

bool OverlayController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        return mousePressed(QPoint(qFloor(mouse->position().x()), qFloor(mouse->position().y())), mouse->button());
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        return mouseMoved(QPoint(qFloor(mouse->position().x()), qFloor(mouse->position().y())), mouse->buttons(),
                          mouse->modifiers());
    }
    case QEvent::MouseButtonRelease:
        return mouseReleased();
    default:
        return false;
    }
}

bool OverlayController::mousePressed(QPoint p, Qt::MouseButton button) {
    if (!arrowMode() || !overlays_.visible() || !document_.pictureLoaded()) return false;
    if (button != Qt::LeftButton) return drag_ != FrameDrag::None;
    FrameDrag drag = SelectionFrame::hitTest(frameRect(), p);
    if (drag == FrameDrag::None) {
        const ViewMapping& mapping = view_->mapping();
        if (mapping.isEmpty()) return false;
        const float x = static_cast<float>((p.x() + 0.5) * mapping.pictureSize().width() / mapping.viewSize().width());
        const float y = static_cast<float>((p.y() + 0.5) * mapping.pictureSize().height() / mapping.viewSize().height());
        const std::optional<std::size_t> hit = overlays_.topmostAt(x, y);
        setSelection(hit);
        if (!hit) return false;
        drag = FrameDrag::Move;
    }
    drag_ = drag;
    dragStartView_ = p;
    dragStartFrame_ = overlays_.at(*selection_).location;
    view_->setCursor(SelectionFrame::cursorFor(drag));
    return true;
}

bool OverlayController::mouseMoved(QPoint p, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    if (!arrowMode()) return false;
    if (drag_ == FrameDrag::None || !selection_ || !buttons.testFlag(Qt::LeftButton)) {
        endDrag();
        if (!overlays_.visible()) return false;
        view_->setCursor(SelectionFrame::cursorFor(SelectionFrame::hitTest(frameRect(), p)));
        return false;
    }
    const ViewMapping& mapping = view_->mapping();
    if (mapping.isEmpty()) return true;
    const float dx = static_cast<float>(static_cast<double>(p.x() - dragStartView_.x()) * mapping.pictureSize().width() /
                                        mapping.viewSize().width());
    const float dy = static_cast<float>(static_cast<double>(p.y() - dragStartView_.y()) *
                                        mapping.pictureSize().height() / mapping.viewSize().height());
    const FloatRect proposed = draggedFrame(dragStartFrame_, drag_, dx, dy, kMinimumSize);
    moveSelectionTo(selectionResizing(dragStartFrame_, proposed, drag_, modifiers.testFlag(Qt::ControlModifier)));
    return true;
}

bool OverlayController::mouseReleased() {
    if (drag_ == FrameDrag::None) return false;
    endDrag();
    return true;
}

void OverlayController::moveSelectionTo(const FloatRect& location) {
    Overlay& overlay = overlays_.at(*selection_);
    if (overlay.location == location) return;
    const QRect before = SelectionFrame::paintedArea(frameRect());
    overlay.location = location;
    view_->update(before);
    view_->update(SelectionFrame::paintedArea(frameRect()));
}

}  // namespace mugwarp
