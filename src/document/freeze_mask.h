#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "document/object_step.h"
#include "raster/displacement_map.h"
#include "raster/geometry.h"

namespace mugwarp {

enum class Rotation;

// What the freeze mask becomes when the picture changes shape, cell for
// pixel as the picture's own operations move the pixels.
ByteMap stretchedMask(const ByteMap& mask, int width, int height);  // nearest cell, as Image Size
ByteMap rotatedMask(const ByteMap& mask, Rotation rotation);
ByteMap croppedMask(const ByteMap& mask, const Rect& crop);
// 255 - each cell; an empty mask (nothing frozen) becomes a fully frozen
// one of the given size.
ByteMap invertedMask(const ByteMap& mask, int width, int height);
// Whether any cell is frozen at all.
bool anyFrozen(const ByteMap& mask);

// The smallest rectangle holding every cell where two masks of one size
// differ; empty when they are equal.
Rect changedCells(const ByteMap& before, const ByteMap& after);

// A rectangle of mask cells, or the whole mask with its size.
struct MaskPatch {
    int width = 0;   // size of the whole mask the patch belongs to
    int height = 0;
    Rect rect;
    std::vector<std::uint8_t> cells;

    static MaskPatch cut(const ByteMap& mask, const Rect& rect);
    // Writes the patch into mask, giving it the patch's size first when it
    // differs (a whole-mask patch then replaces every cell).
    void putInto(ByteMap& mask) const;
};

// A change of the freeze mask in the history. The document owns both maps
// (the mask and its copy as of the last step) and outlives its history.
class FreezeMaskStep final : public ObjectStep {
public:
    FreezeMaskStep(ByteMap& mask, ByteMap& kept, MaskPatch before, MaskPatch after)
        : mask_(mask), kept_(kept), before_(std::move(before)), after_(std::move(after)) {}
    void undo() override { show(before_); }
    void redo() override { show(after_); }
    std::size_t bytes() const override { return before_.cells.size() + after_.cells.size(); }

private:
    void show(const MaskPatch& patch);

    ByteMap& mask_;
    ByteMap& kept_;
    MaskPatch before_;
    MaskPatch after_;
};

}  // namespace mugwarp
