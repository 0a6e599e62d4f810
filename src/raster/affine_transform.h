#pragma once
#include <array>
#include <optional>

#include "raster/fixed.h"
#include "raster/geometry.h"

namespace mugwarp {

class PixelSurface;

// A 3 x 3 matrix M mapping (x, y) to (M00 x + M10 y + M20, M01 x + M11 y + M21).
// Each operation appends a step that is applied after the steps already in M.
class AffineTransform {
public:
    using Matrix = std::array<std::array<float, 3>, 3>;

    static constexpr Matrix identity() { return {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}; }

    const Matrix& matrix() const { return m_; }
    void setMatrix(const Matrix& m) { m_ = m; valid_ = false; }

    void clear();
    void translate(float dx, float dy);
    void scale(float sx, float sy);
    // Turns by `degrees` about (cx, cy).
    void rotate(float cx, float cy, float degrees);

    // The rectangle whose corners transformedBounds maps.
    FloatRect srcRect() const { return srcRect_; }
    void setSrcRect(const FloatRect& r) { srcRect_ = r; }

    // Inverts M (identity when |det| < 1e-5) and keeps fixed copies of both.
    void prepare();
    bool isPrepared() const { return valid_; }
    const Matrix& inverse() const { return inverse_; }

    // Forward mapping in floats.
    void transform(float x, float y, float& outX, float& outY) const;
    // Destination point to source point in fixed point, through the inverse.
    // Needs prepare().
    void reverseTransform(Fixed x, Fixed y, Fixed& sourceX, Fixed& sourceY) const;
    // Bounding box of the mapped corners of srcRect: left and top rounded from
    // (minimum - 0.5), right and bottom from (maximum + 0.5).
    Rect transformedBounds() const;

private:
    void append(const Matrix& step);

    Matrix m_ = identity();
    Matrix inverse_ = identity();
    std::array<std::array<Fixed, 3>, 3> fixedMatrix_{};
    std::array<std::array<Fixed, 3>, 3> fixedInverse_{};
    FloatRect srcRect_{};
    bool valid_ = false;
};

// Renders destination ∩ transformed bounds ∩ clip from source through the
// affine transformation, writing by the source's draw mode. An empty source
// rectangle of the transformation is taken as the source's bounds.
void transform(PixelSurface& destination, const PixelSurface& source, AffineTransform& affine,
               std::optional<Rect> clip = std::nullopt);

}  // namespace mugwarp
