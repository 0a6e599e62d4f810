#include "face/face_warp_field.h"

#include <algorithm>
#include <cmath>

#include "face/linear_solve.h"
#include "face/thin_plate_spline.h"

namespace mugwarp {

namespace {

// A fold-free field needs some room: cells must not be squeezed to nothing.
constexpr double kMinJacobian = 0.1;
constexpr int kShareHalvings = 7;
// The corrections at the targets spread over this many cells around them.
constexpr int kCorrectionCells = 3;

double smootherStep(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * t * (t * (t * 6 - 15) + 10);
}

}  // namespace

namespace {

struct Zone {
    FacePoint centre;
    double halfX = 4, halfY = 4;  // the control points' half extent
    double zoneX() const { return kZoneFactor * halfX; }
    double zoneY() const { return kZoneFactor * halfY; }
};

Zone zoneOf(const std::vector<FacePoint>& from) {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const FacePoint& p : from) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    return {{(minX + maxX) / 2, (minY + maxY) / 2}, std::max(4.0, (maxX - minX) / 2), std::max(4.0, (maxY - minY) / 2)};
}

}  // namespace

Rect faceWarpRegion(const std::vector<FacePoint>& from, const Rect& picture) {
    if (from.empty()) return {};
    const Zone z = zoneOf(from);
    const double outerX = kMarginFactor * z.zoneX(), outerY = kMarginFactor * z.zoneY();
    const Rect outer{static_cast<int>(std::floor(z.centre.x - outerX)), static_cast<int>(std::floor(z.centre.y - outerY)),
                     static_cast<int>(std::ceil(z.centre.x + outerX)) + 1,
                     static_cast<int>(std::ceil(z.centre.y + outerY)) + 1};
    return outer.intersected(picture);
}

FaceWarpField::FaceWarpField(const ControlMoves& moves, const Rect& picture) {
    if (moves.from.empty()) return;
    const Zone z = zoneOf(moves.from);
    centre_ = z.centre;
    zoneX_ = z.zoneX();
    zoneY_ = z.zoneY();
    // About 24 nodes across half the face keep the bilinear interpolation
    // well inside half a pixel of the spline at the landmarks.
    step_ = std::clamp(static_cast<int>(std::min(z.halfX, z.halfY) / 24), 1, 32);
    region_ = faceWarpRegion(moves.from, picture);
    if (region_.isEmpty() || moves.isIdentity()) {
        region_ = {};
        return;
    }
    columns_ = (region_.width() - 1) / step_ + 2;
    rows_ = (region_.height() - 1) / step_ + 2;
    if (build(moves, 1.0)) return;
    // Halve towards the largest share that still holds.
    double good = 0, bad = 1;
    for (int i = 0; i < kShareHalvings; ++i) {
        const double mid = (good + bad) / 2;
        if (build(moves, mid)) good = mid;
        else bad = mid;
    }
    build(moves, good);
    share_ = good;
    if (good == 0) {
        identity_ = true;
        region_ = {};
    }
}

bool FaceWarpField::inZone(const FacePoint& p) const {
    const double u = (p.x - centre_.x) / zoneX_, v = (p.y - centre_.y) / zoneY_;
    return u * u + v * v < 1.0;
}

double FaceWarpField::window(double x, double y) const {
    const double u = (x - centre_.x) / zoneX_, v = (y - centre_.y) / zoneY_;
    const double r = std::sqrt(u * u + v * v);
    return 1.0 - smootherStep((r - 1.0) / (kMarginFactor - 1.0));
}

bool FaceWarpField::build(const ControlMoves& moves, double share) {
    std::vector<FacePoint> targets(moves.from.size()), values(moves.from.size());
    for (std::size_t i = 0; i < moves.from.size(); ++i) {
        const FacePoint move{moves.to[i].x - moves.from[i].x, moves.to[i].y - moves.from[i].y};
        targets[i] = {moves.from[i].x + share * move.x, moves.from[i].y + share * move.y};
        if (!inZone(targets[i]) || !inZone(moves.from[i])) return false;
        values[i] = {-share * move.x, -share * move.y};
    }
    const ThinPlateSpline spline(targets, values);
    nodes_.assign(static_cast<std::size_t>(columns_) * rows_, {});
    identity_ = true;
    for (int j = 0; j < rows_; ++j) {
        const double y = region_.top + j * step_;
        for (int i = 0; i < columns_; ++i) {
            const double x = region_.left + i * step_;
            const double w = window(x, y);
            if (w <= 0) continue;
            const FacePoint d = spline(x, y);
            nodes_[static_cast<std::size_t>(j) * columns_ + i] = {w * d.x, w * d.y};
            identity_ = identity_ && d.x == 0 && d.y == 0;
        }
    }
    if (!identity_) correctAtTargets(targets, spline);
    share_ = share;
    return minJacobian() > kMinJacobian;
}

// Between nodes the bilinear interpolation strays from the spline by up to a
// few pixels on big faces, most where the spline bends most: at the targets.
// A smooth bump over a few cells around each target, each as high as makes
// the interpolation at every target equal to the spline there, puts that
// right without steep steps between nodes (which could fold a cell).
void FaceWarpField::correctAtTargets(const std::vector<FacePoint>& targets, const ThinPlateSpline& spline) {
    const double radius = kCorrectionCells * step_;
    const auto bump = [radius](double dx, double dy) {
        const double q = (dx * dx + dy * dy) / (radius * radius);
        return q < 1 ? (1 - q) * (1 - q) : 0.0;
    };
    struct Touch {
        FacePoint target;
        int i, j;          // the cell's top-left node
        double fx, fy;     // where in the cell
        double weight(int di, int dj) const { return (di ? fx : 1 - fx) * (dj ? fy : 1 - fy); }
    };
    std::vector<Touch> touches;
    std::vector<FacePoint> misses;
    for (const FacePoint& t : targets) {
        const double gx = (t.x - region_.left) / step_, gy = (t.y - region_.top) / step_;
        if (gx < 0 || gy < 0 || gx >= columns_ - 1 || gy >= rows_ - 1) continue;  // off the picture
        const int i = static_cast<int>(gx), j = static_cast<int>(gy);
        touches.push_back({t, i, j, gx - i, gy - j});
        const FacePoint want = spline(t.x, t.y), have = at(t.x, t.y);
        misses.push_back({want.x - have.x, want.y - have.y});
    }
    const auto nodeX = [this](int i) { return static_cast<double>(region_.left + i * step_); };
    const auto nodeY = [this](int j) { return static_cast<double>(region_.top + j * step_); };
    // Row b: the interpolation at target b of all the bumps; the small extra
    // on the diagonal keeps targets that (nearly) coincide from making the
    // system singular.
    const std::size_t n = touches.size();
    std::vector<std::vector<double>> system(n, std::vector<double>(n + 2, 0.0));
    for (std::size_t b = 0; b < n; ++b) {
        const Touch& tb = touches[b];
        for (std::size_t a = 0; a < n; ++a) {
            double sum = a == b ? 1e-6 : 0.0;
            for (int dj = 0; dj < 2; ++dj)
                for (int di = 0; di < 2; ++di)
                    sum += tb.weight(di, dj) * bump(nodeX(tb.i + di) - touches[a].target.x, nodeY(tb.j + dj) - touches[a].target.y);
            system[b][a] = sum;
        }
        system[b][n] = misses[b].x;
        system[b][n + 1] = misses[b].y;
    }
    if (!solveLinear(system)) return;
    const int reach = kCorrectionCells + 1;
    for (std::size_t a = 0; a < n; ++a) {
        const Touch& ta = touches[a];
        for (int j = std::max(0, ta.j - reach); j <= std::min(rows_ - 1, ta.j + reach + 1); ++j) {
            for (int i = std::max(0, ta.i - reach); i <= std::min(columns_ - 1, ta.i + reach + 1); ++i) {
                const double k = bump(nodeX(i) - ta.target.x, nodeY(j) - ta.target.y);
                FacePoint& node = nodes_[static_cast<std::size_t>(j) * columns_ + i];
                node.x += k * system[a][n];
                node.y += k * system[a][n + 1];
            }
        }
    }
}

double FaceWarpField::minJacobian() const {
    double least = 1;
    const double h = step_;
    for (int j = 0; j + 1 < rows_; ++j) {
        for (int i = 0; i + 1 < columns_; ++i) {
            const FacePoint& a = node(i, j);
            const FacePoint& b = node(i + 1, j);
            const FacePoint& c = node(i, j + 1);
            const FacePoint& d = node(i + 1, j + 1);
            // The corners' Jacobians from the cell's edges.
            const auto det = [h](const FacePoint& p0, const FacePoint& px, const FacePoint& py, double sx, double sy) {
                const double ux = 1 + sx * (px.x - p0.x) / h, vx = sx * (px.y - p0.y) / h;
                const double uy = sy * (py.x - p0.x) / h, vy = 1 + sy * (py.y - p0.y) / h;
                return ux * vy - uy * vx;
            };
            least = std::min({least, det(a, b, c, 1, 1), det(b, a, d, -1, 1), det(c, d, a, 1, -1), det(d, c, b, -1, -1)});
        }
    }
    return least;
}

FacePoint FaceWarpField::at(double x, double y) const {
    if (identity_ || !region_.contains(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)))) return {};
    const double gx = (x - region_.left) / step_, gy = (y - region_.top) / step_;
    const int i = std::min(static_cast<int>(gx), columns_ - 2), j = std::min(static_cast<int>(gy), rows_ - 2);
    const double fx = gx - i, fy = gy - j;
    const FacePoint& a = node(i, j);
    const FacePoint& b = node(i + 1, j);
    const FacePoint& c = node(i, j + 1);
    const FacePoint& d = node(i + 1, j + 1);
    return {(a.x * (1 - fx) + b.x * fx) * (1 - fy) + (c.x * (1 - fx) + d.x * fx) * fy,
            (a.y * (1 - fx) + b.y * fx) * (1 - fy) + (c.y * (1 - fx) + d.y * fx) * fy};
}

}  // namespace mugwarp
