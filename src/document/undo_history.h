#pragma once
#include <cstddef>
#include <deque>

#include "document/picture_step.h"

namespace mugwarp {

struct HistoryUsage {
    int undoSteps = 0;      // steps Undo can take back
    int redoSteps = 0;      // steps Redo can take forward
    std::size_t bytes = 0;  // memory all kept steps take
};

// The steps of the picture's history, oldest first, with the place the
// picture stands at among them. Steps before that place can be undone, the
// ones after it redone. Recording a new step drops those ahead; the memory
// budget drops the oldest steps, never the one last recorded.
class UndoHistory {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{512} << 20;

    void clear();
    void record(PictureStep step);

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < steps_.size(); }
    // The step Undo takes back, then move before it.
    PictureStep& stepToUndo() { return steps_[position_ - 1]; }
    void moveBack() { --position_; }
    // The step Redo applies, then move after it.
    PictureStep& stepToRedo() { return steps_[position_]; }
    void moveForward() { ++position_; }

    HistoryUsage usage() const;
    // Blocks until every step is packed (benchmarks and tests).
    void waitUntilPacked() const;
    std::size_t budget() const { return budget_; }
    void setBudget(std::size_t bytes);

private:
    void keepWithinBudget();
    std::size_t bytes() const;

    // Large steps shrink while they are packed in the background, so the
    // memory they take is asked for, not counted once.
    std::deque<PictureStep> steps_;
    std::size_t position_ = 0;
    std::size_t budget_ = kDefaultBudget;
};

}  // namespace mugwarp
