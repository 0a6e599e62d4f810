#pragma once
#include <vector>

#include "face/face_landmarks.h"
#include "face/feature_moves.h"
#include "raster/geometry.h"

namespace mugwarp {

class ThinPlateSpline;

// The dense deformation that takes a face's control points to their targets.
//
// It is a backward field, as the displacement map is: the picture at p shows
// what was at p + d(p). A thin-plate spline through the targets (valued with
// target-to-point differences) gives d near the face; it is multiplied by a
// window that is 1 over an ellipse around the face (the zone) and falls
// smoothly to 0 over a margin beyond it, so that outside region() the field
// is exactly zero. The spline and window are evaluated on a grid of nodes
// and interpolated bilinearly between them; the field rendered is that
// interpolation, and it is the one checked for folds: over a grid cell a
// bilinear map has a positive Jacobian wherever it has one at the cell's
// corners, so checking the corners checks every point.
//
// Moves that would fold the picture or take a point out of the zone are
// scaled down together (shareApplied() below 1) until they do not.
class FaceWarpField {
public:
    FaceWarpField() = default;
    // The zone and region depend only on moves.from and the picture, so one
    // face keeps them while its sliders move.
    FaceWarpField(const ControlMoves& moves, const Rect& picture);

    // Where the field may be other than zero (within the picture).
    const Rect& region() const { return region_; }
    bool isIdentity() const { return identity_; }
    // 1, or the share of the moves kept to avoid a fold.
    double shareApplied() const { return share_; }
    // The displacement at a pixel (zero outside region()).
    FacePoint at(double x, double y) const;
    // The smallest Jacobian determinant at any grid cell's corners.
    double minJacobian() const;

    // The nodes, for rendering rows: node (i, j) sits at
    // (region().left + i * step(), region().top + j * step()).
    int step() const { return step_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    const FacePoint& node(int i, int j) const { return nodes_[static_cast<std::size_t>(j) * columns_ + i]; }

private:
    bool build(const ControlMoves& moves, double share);
    void correctAtTargets(const std::vector<FacePoint>& targets, const ThinPlateSpline& spline);
    double window(double x, double y) const;
    bool inZone(const FacePoint& p) const;

    Rect region_;
    FacePoint centre_;
    double zoneX_ = 1, zoneY_ = 1;  // the zone's half axes
    int step_ = 1;
    int columns_ = 0, rows_ = 0;
    std::vector<FacePoint> nodes_;
    double share_ = 1;
    bool identity_ = true;
};

// The rectangle of the picture a field for these control points may change.
Rect faceWarpRegion(const std::vector<FacePoint>& from, const Rect& picture);

// The zone is this many times the control points' half extent; the window
// reaches zero at kMarginFactor times the zone.
inline constexpr double kZoneFactor = 1.7;
inline constexpr double kMarginFactor = 2.0;

}  // namespace mugwarp
