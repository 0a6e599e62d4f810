#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>

#include "document/object_step.h"
#include "document/picture_step.h"

namespace mugwarp {

struct HistoryUsage {
    int undoSteps = 0;      // steps Undo can take back
    int redoSteps = 0;      // steps Redo can take forward
    std::size_t bytes = 0;  // memory all kept steps take
};

// One step of the history: a change of the picture or of an object kept
// with it.
struct HistoryStep {
    std::optional<PictureStep> picture;
    std::unique_ptr<ObjectStep> object;
    // The freeze mask's change, alone or with the picture's in the same step.
    std::unique_ptr<ObjectStep> freeze;
    std::uint64_t id = 0;
    std::size_t bytes() const {
        return (picture ? picture->bytes() : 0) + (object ? object->bytes() : 0) + (freeze ? freeze->bytes() : 0);
    }
};

// The steps of the document's history, oldest first, with the place the
// document stands at among them. Steps before that place can be undone, the
// ones after it redone. Recording a new step drops those ahead; the memory
// budget drops the oldest steps, never the one last recorded.
//
// Every state the document passes through has an id (stateId()), the same
// when Undo and Redo come back to it, so that "unchanged since saved" is a
// comparison of two ids.
class UndoHistory {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{512} << 20;

    // Drops every step; the state reached is a new one.
    void clear();
    void record(PictureStep step);
    void record(std::unique_ptr<ObjectStep> step);
    // A step of the picture (none for a change of the mask alone) together
    // with a change of the freeze mask.
    void record(std::optional<PictureStep> picture, std::unique_ptr<ObjectStep> freeze);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // The step Undo takes back, then move before it.
    HistoryStep& stepToUndo() { return steps_[position_ - 1]; }
    void moveBack() { --position_; }
    // The step Redo applies, then move after it.
    HistoryStep& stepToRedo() { return steps_[position_]; }
    void moveForward() { ++position_; }

    std::uint64_t stateId() const { return position_ > 0 ? steps_[position_ - 1].id : baseId_; }

    HistoryUsage usage() const;
    // Blocks until every step is packed (benchmarks and tests).
    void waitUntilPacked() const;
    std::size_t budget() const { return budget_; }
    void setBudget(std::size_t bytes);

private:
    void keepWithinBudget();
    void record(HistoryStep step);
    std::size_t bytes() const;

    // Large steps shrink while they are packed in the background, so the
    // memory they take is asked for, not counted once.
    std::deque<HistoryStep> steps_;
    std::size_t position_ = 0;
    std::uint64_t baseId_ = 0;  // the state before the oldest step kept
    std::uint64_t nextId_ = 1;
    std::size_t budget_ = kDefaultBudget;
};

}  // namespace mugwarp
