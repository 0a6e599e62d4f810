#pragma once
#include <memory>

#include "face/caricature_settings.h"
#include "face/face_landmarks.h"
#include "face/face_warp_field.h"
#include "raster/displacement_map.h"
#include "warp/warp_canvas.h"

namespace mugwarp {

class Document;

// One use of the caricature settings on one face of the open picture, from
// the first look to OK or Cancel: the face's deformation is composed with
// the picture's own, so the source is still sampled once, and the whole use
// is one step of the history.
class CaricatureEdit {
public:
    // Begins the change (the picture as shown now is where Undo returns to)
    // and keeps the deformation under the face's region as it is now.
    CaricatureEdit(Document& document, const LandmarkSet& face, const LandmarkSet& meanShape);
    ~CaricatureEdit();
    CaricatureEdit(const CaricatureEdit&) = delete;
    CaricatureEdit& operator=(const CaricatureEdit&) = delete;

    // Shows the picture with these settings: the face's region of the
    // deformation is made again from the one kept and re-rendered.
    // Returns the share of the moves applied (below 1 where they would fold).
    // A preview step above 1 renders only every step-th pixel of every
    // step-th row, each filling its step x step block: enough for a view
    // that shows the picture reduced by that much, and step^2 times less
    // work. accept() then renders at full resolution.
    double show(const CaricatureSettings& settings, int previewStep = 1);
    // The change becomes one step (none when the picture is as it was).
    void accept();
    // The deformation and the picture go back to what they were; no step.
    void cancel();
    const FaceWarpField& field() const { return field_; }
    const CaricatureSettings& settings() const { return settings_; }

private:
    void compose();
    void composePreview(int step);
    void restoreShownPixels(WarpCanvas& canvas);
    // The kept deformation and the pixels shown before, back in the region.
    void putBack();

    Document& document_;
    LandmarkSet face_;
    LandmarkSet mean_;
    Rect region_;             // the largest region any setting can change
    DisplacementMap kept_;    // the deformation under region_ when the edit began
    bool keptIsZero_ = true;  // ... all zero there (a picture not deformed yet)
    FaceWarpField field_;
    CaricatureSettings settings_;
    bool open_ = true;
    bool previewOnly_ = false;  // the map and pixels shown are a preview's
    bool shown_ = false;        // the region shows something of this edit
};

// The same without the panel: one step with these settings on this face.
// Returns the share of the moves applied.
double applyCaricature(Document& document, const LandmarkSet& face, const LandmarkSet& meanShape,
                       const CaricatureSettings& settings);

}  // namespace mugwarp
