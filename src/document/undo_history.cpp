#include "document/undo_history.h"

#include <utility>

namespace mugwarp {

void UndoHistory::clear() {
    steps_.clear();
    position_ = 0;
    bytes_ = 0;
}

void UndoHistory::record(PictureStep step) {
    while (steps_.size() > position_) {
        bytes_ -= steps_.back().bytes();
        steps_.pop_back();
    }
    bytes_ += step.bytes();
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    keepWithinBudget();
}

HistoryUsage UndoHistory::usage() const {
    return {static_cast<int>(position_), static_cast<int>(steps_.size() - position_), bytes_};
}

void UndoHistory::setBudget(std::size_t bytes) {
    budget_ = bytes;
    keepWithinBudget();
}

// Called right after a step is recorded, when there is nothing to redo, so
// the step kept last is the one Undo takes first.
void UndoHistory::keepWithinBudget() {
    while (bytes_ > budget_ && steps_.size() > 1 && position_ > 1) {
        bytes_ -= steps_.front().bytes();
        steps_.pop_front();
        --position_;
    }
}

}  // namespace mugwarp
