#include "face/thin_plate_spline.h"

#include <algorithm>
#include <cmath>

#include "face/linear_solve.h"

namespace mugwarp {

namespace {

inline double kernel(double r2) { return r2 > 0 ? 0.5 * r2 * std::log(r2) : 0.0; }

}  // namespace

ThinPlateSpline::ThinPlateSpline(const std::vector<FacePoint>& points, const std::vector<FacePoint>& values) {
    // Merge points that (nearly) coincide: the system would be singular.
    std::vector<FacePoint> sums;
    std::vector<int> counts;
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::size_t j = 0;
        while (j < centres_.size() && std::hypot(centres_[j].x - points[i].x, centres_[j].y - points[i].y) >= 0.01) ++j;
        if (j == centres_.size()) {
            centres_.push_back(points[i]);
            sums.push_back({});
            counts.push_back(0);
        }
        sums[j].x += values[i].x;
        sums[j].y += values[i].y;
        ++counts[j];
    }
    // Working in units of the points' spread keeps the system well scaled.
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const FacePoint& c : centres_) {
        minX = std::min(minX, c.x), maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
    }
    origin_ = {(minX + maxX) / 2, (minY + maxY) / 2};
    unit_ = std::max({maxX - minX, maxY - minY, 1.0});
    const std::size_t n = centres_.size();
    for (FacePoint& c : centres_) c = {(c.x - origin_.x) / unit_, (c.y - origin_.y) / unit_};

    // Fewer than three points that are not in a line: an affine part alone
    // cannot be fixed, so the spline is a plain shift by the mean value.
    const std::size_t size = n + 3;
    std::vector<std::vector<double>> a(size, std::vector<double>(size + 2, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            const double dx = centres_[i].x - centres_[j].x, dy = centres_[i].y - centres_[j].y;
            a[i][j] = kernel(dx * dx + dy * dy);
        }
        const double p[3] = {1, centres_[i].x, centres_[i].y};
        for (int k = 0; k < 3; ++k) a[i][n + k] = a[n + k][i] = p[k];
        a[i][size] = sums[i].x / counts[i];
        a[i][size + 1] = sums[i].y / counts[i];
    }
    weights_.assign(n, {});
    if (!solveLinear(a)) {
        double mx = 0, my = 0;
        for (std::size_t i = 0; i < n; ++i) mx += sums[i].x / counts[i], my += sums[i].y / counts[i];
        affine_[0][0] = n ? mx / n : 0;
        affine_[0][1] = n ? my / n : 0;
        return;
    }
    for (std::size_t i = 0; i < n; ++i) weights_[i] = {a[i][size], a[i][size + 1]};
    for (int k = 0; k < 3; ++k) affine_[k][0] = a[n + k][size], affine_[k][1] = a[n + k][size + 1];
}

FacePoint ThinPlateSpline::operator()(double x, double y) const {
    const double u = (x - origin_.x) / unit_, v = (y - origin_.y) / unit_;
    double fx = affine_[0][0] + affine_[1][0] * u + affine_[2][0] * v;
    double fy = affine_[0][1] + affine_[1][1] * u + affine_[2][1] * v;
    for (std::size_t i = 0; i < centres_.size(); ++i) {
        const double dx = u - centres_[i].x, dy = v - centres_[i].y;
        const double k = kernel(dx * dx + dy * dy);
        fx += weights_[i].x * k;
        fy += weights_[i].y * k;
    }
    return {fx, fy};
}

}  // namespace mugwarp
