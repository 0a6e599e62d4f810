#include "edit/overlay_step.h"

#include <utility>

#include "raster/error.h"

namespace mugwarp {

OverlayStep::OverlayStep(OverlayStack& stack, Kind kind, std::size_t index, Overlay overlay, FloatRect before)
    : stack_(&stack), kind_(kind), index_(index), overlay_(std::move(overlay)), before_(before) {}

void OverlayStep::undo() {
    switch (kind_) {
    case Kind::Insert:
        stack_->remove(index_);
        break;
    case Kind::Delete:
        stack_->insert(index_, overlay_);
        break;
    case Kind::Place:
        if (index_ >= stack_->size()) throw Error("The overlay to move back is gone");
        stack_->at(index_).location = before_;
        break;
    }
}

void OverlayStep::redo() {
    switch (kind_) {
    case Kind::Insert:
        stack_->insert(index_, overlay_);
        break;
    case Kind::Delete:
        stack_->remove(index_);
        break;
    case Kind::Place:
        if (index_ >= stack_->size()) throw Error("The overlay to move is gone");
        stack_->at(index_).location = overlay_.location;
        break;
    }
}

// A moved overlay's picture is on the stack anyway; one put in or taken away
// is what the step keeps alive once the stack lets it go.
std::size_t OverlayStep::bytes() const {
    std::size_t total = sizeof(OverlayStep);
    if (kind_ != Kind::Place) total += static_cast<std::size_t>(overlay_.picture->width()) * static_cast<std::size_t>(overlay_.picture->height()) * sizeof(Argb);
    return total;
}

std::size_t insertOverlay(Document& document, OverlayStack& stack, Overlay overlay) {
    const std::size_t index = stack.add(overlay);
    try {
        document.recordObjectStep(std::make_unique<OverlayStep>(stack, OverlayStep::Kind::Insert, index, std::move(overlay)));
    } catch (...) {
        stack.remove(index);
        throw;
    }
    return index;
}

void deleteOverlay(Document& document, OverlayStack& stack, std::size_t index) {
    if (index >= stack.size()) return;
    auto step = std::make_unique<OverlayStep>(stack, OverlayStep::Kind::Delete, index, stack.at(index));
    document.recordObjectStep(std::move(step));
    stack.remove(index);
}

void recordOverlayPlaced(Document& document, OverlayStack& stack, std::size_t index, const FloatRect& before) {
    if (index >= stack.size() || stack.at(index).location == before) return;
    try {
        document.recordObjectStep(std::make_unique<OverlayStep>(stack, OverlayStep::Kind::Place, index, stack.at(index), before));
    } catch (...) {
        stack.at(index).location = before;
        throw;
    }
}

}  // namespace mugwarp
