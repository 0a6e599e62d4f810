#pragma once
#include "warp/warp_canvas.h"

namespace mugwarp {

// The document as the stroke controller sees it; the working document
// implements it. Kept this narrow so that strokes can be driven (and tested)
// without the rest of the document.
class StrokeTarget {
public:
    virtual ~StrokeTarget() = default;

    virtual bool pictureLoaded() const = 0;
    // The surfaces and the deformation a brush application works on.
    virtual WarpCanvas warpCanvas() = 0;
    // Called before a stroke and when a warp tool is selected: remember the
    // displayed picture for undo and forget that the last change resized it.
    virtual void beginUndoableChange() = 0;
    // Called when a stroke ends: what it changed becomes one undoable step.
    virtual void endUndoableChange() {}
    // Called when a warp tool is selected: leave the flat-image tools (bake
    // their edits into an undeformed source) if one is active, and record the
    // warp tool as the current tool.
    virtual void enterWarpTool(int toolCode) = 0;
    // Whether the current tool is one of the warp tools (Putty, Warp, Twirl, Reconstruct, Smooth, Freeze, Thaw).
    virtual bool warpToolActive() const = 0;
};

}  // namespace mugwarp
