#include "document/undo_history.h"

#include <utility>

namespace mugwarp {

void UndoHistory::clear() {
    steps_.clear();
    position_ = 0;
    baseId_ = nextId_++;
}

void UndoHistory::record(PictureStep step) {
    HistoryStep entry;
    entry.picture.emplace(std::move(step));
    record(std::move(entry));
}

void UndoHistory::record(std::unique_ptr<ObjectStep> step) {
    HistoryStep entry;
    entry.object = std::move(step);
    record(std::move(entry));
}

void UndoHistory::record(std::optional<PictureStep> picture, std::unique_ptr<ObjectStep> freeze) {
    HistoryStep entry;
    entry.picture = std::move(picture);
    entry.freeze = std::move(freeze);
    record(std::move(entry));
}

void UndoHistory::record(HistoryStep step) {
    step.id = nextId_++;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(position_), steps_.end());
    steps_.push_back(std::move(step));
    position_ = steps_.size();
    keepWithinBudget();
}

std::size_t UndoHistory::bytes() const {
    std::size_t total = 0;
    for (const HistoryStep& step : steps_) total += step.bytes();
    return total;
}

HistoryUsage UndoHistory::usage() const {
    return {static_cast<int>(position_), static_cast<int>(steps_.size() - position_), bytes()};
}

void UndoHistory::waitUntilPacked() const {
    for (const HistoryStep& step : steps_)
        if (step.picture) step.picture->waitUntilPacked();
}

void UndoHistory::setBudget(std::size_t bytes) {
    budget_ = bytes;
    keepWithinBudget();
}

// The oldest steps go first; the step Undo takes first always stays.
void UndoHistory::keepWithinBudget() {
    std::size_t total = bytes();
    while (total > budget_ && position_ > 1) {
        total -= steps_.front().bytes();
        baseId_ = steps_.front().id;
        steps_.pop_front();
        --position_;
    }
}

}  // namespace mugwarp
