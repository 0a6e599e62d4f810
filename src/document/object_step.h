#pragma once
#include <cstddef>

namespace mugwarp {

// A change of something the document keeps beside its pixels (an overlay put
// in, moved or taken away), kept in the same history as the picture's steps
// so that Undo and Redo walk both in the order they were made. The step knows
// what it changed and applies itself; the picture is left alone.
class ObjectStep {
public:
    virtual ~ObjectStep() = default;
    // Both leave everything as it was when they throw.
    virtual void undo() = 0;
    virtual void redo() = 0;
    // Memory the step keeps alive, counted against the history's budget.
    virtual std::size_t bytes() const = 0;
};

}  // namespace mugwarp
