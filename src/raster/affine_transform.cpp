#include "raster/affine_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "raster/pixel_surface.h"
#include "raster/transform_renderer.h"

namespace mugwarp {

namespace {

AffineTransform::Matrix multiply(const AffineTransform::Matrix& a, const AffineTransform::Matrix& b) {
    AffineTransform::Matrix r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
        }
    }
    return r;
}

int roundToInt(double v) {
    return static_cast<int>(std::clamp(std::nearbyint(v), -2147483647.0, 2147483647.0));
}

}  // namespace

void AffineTransform::append(const Matrix& step) {
    // Row vectors: p' = p * M, so a later step multiplies on the right.
    m_ = multiply(m_, step);
    valid_ = false;
}

void AffineTransform::clear() {
    m_ = identity();
    valid_ = false;
}

void AffineTransform::translate(float dx, float dy) {
    Matrix step = identity();
    step[2][0] = dx;
    step[2][1] = dy;
    append(step);
}

void AffineTransform::scale(float sx, float sy) {
    Matrix step = identity();
    step[0][0] = sx;
    step[1][1] = sy;
    append(step);
}

void AffineTransform::rotate(float cx, float cy, float degrees) {
    const bool shifted = cx != 0 || cy != 0;
    if (shifted) translate(-cx, -cy);
    const double a = static_cast<double>(degrees) * std::numbers::pi / 180.0;
    Matrix step = identity();
    step[0][0] = static_cast<float>(std::cos(a));
    step[0][1] = static_cast<float>(-std::sin(a));
    step[1][0] = static_cast<float>(std::sin(a));
    step[1][1] = static_cast<float>(std::cos(a));
    append(step);
    if (shifted) translate(cx, cy);
}

void AffineTransform::prepare() {
    const Matrix& m = m_;
    const float det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                      m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                      m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::fabs(det) < 1e-5f) {
        inverse_ = identity();
    } else {
        Matrix adj{};
        adj[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
        adj[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
        adj[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
        adj[1][0] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
        adj[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
        adj[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
        adj[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
        adj[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
        adj[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
        for (auto& r : adj) {
            for (float& v : r) v /= det;
        }
        inverse_ = adj;
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            fixedMatrix_[i][j] = toFixed(m_[i][j]);
            fixedInverse_[i][j] = toFixed(inverse_[i][j]);
        }
    }
    valid_ = true;
}

void AffineTransform::transform(float x, float y, float& outX, float& outY) const {
    outX = m_[0][0] * x + m_[1][0] * y + m_[2][0];
    outY = m_[0][1] * x + m_[1][1] * y + m_[2][1];
}

void AffineTransform::reverseTransform(Fixed x, Fixed y, Fixed& sourceX, Fixed& sourceY) const {
    const auto& inv = fixedInverse_;
    sourceX = fixedAdd(fixedAdd(fixedMul(x, inv[0][0]), fixedMul(y, inv[1][0])), inv[2][0]);
    sourceY = fixedAdd(fixedAdd(fixedMul(x, inv[0][1]), fixedMul(y, inv[1][1])), inv[2][1]);
}

Rect AffineTransform::transformedBounds() const {
    const float xs[2] = {srcRect_.left, srcRect_.right};
    const float ys[2] = {srcRect_.top, srcRect_.bottom};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (float cx : xs) {
        for (float cy : ys) {
            float tx = 0, ty = 0;
            transform(cx, cy, tx, ty);
            minX = std::min<double>(minX, tx);
            maxX = std::max<double>(maxX, tx);
            minY = std::min<double>(minY, ty);
            maxY = std::max<double>(maxY, ty);
        }
    }
    return {roundToInt(minX - 0.5), roundToInt(minY - 0.5), roundToInt(maxX + 0.5), roundToInt(maxY + 0.5)};
}

void transform(PixelSurface& destination, const PixelSurface& source, AffineTransform& affine,
               std::optional<Rect> clip) {
    if (affine.srcRect().isEmpty()) {
        affine.setSrcRect({0, 0, static_cast<float>(source.width()), static_cast<float>(source.height())});
    }
    Rect area = affine.transformedBounds().intersected(destination.bounds());
    if (clip) area = area.intersected(*clip);
    if (area.isEmpty()) return;
    if (!affine.isPrepared()) affine.prepare();
    renderTransformed(destination, source, area, [&affine](Fixed x, Fixed y, Fixed& sx, Fixed& sy) {
        affine.reverseTransform(x, y, sx, sy);
    });
    destination.changed(area);
}

}  // namespace mugwarp
