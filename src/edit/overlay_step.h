#pragma once
#include <cstddef>
#include <memory>

#include "document/document.h"
#include "document/object_step.h"
#include "edit/overlay_stack.h"

namespace mugwarp {

// One change of the overlays as a step of the document's history. The
// overlay's picture is shared with the stack and with the other steps of the
// same overlay, never copied.
class OverlayStep final : public ObjectStep {
public:
    enum class Kind {
        Insert,  // the overlay was put in at index
        Delete,  // the overlay at index was taken away
        Place,   // the overlay at index was moved or resized from `before`
    };
    OverlayStep(OverlayStack& stack, Kind kind, std::size_t index, Overlay overlay, FloatRect before = {});

    void undo() override;
    void redo() override;
    std::size_t bytes() const override;

    Kind kind() const { return kind_; }
    std::size_t index() const { return index_; }

private:
    OverlayStack* stack_;
    Kind kind_;
    std::size_t index_;
    Overlay overlay_;  // as it is after the step
    FloatRect before_;
};

// The overlay commands as steps of the document's history: each changes the
// stack and records the step, after the picture's change under way. Should
// recording fail, the stack is put back as it was before the error goes on.
std::size_t insertOverlay(Document& document, OverlayStack& stack, Overlay overlay);
void deleteOverlay(Document& document, OverlayStack& stack, std::size_t index);
// The overlay at index was moved or resized from before (a whole drag);
// nothing is recorded when it ended where it began.
void recordOverlayPlaced(Document& document, OverlayStack& stack, std::size_t index, const FloatRect& before);

}  // namespace mugwarp
