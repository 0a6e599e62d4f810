#pragma once

namespace mugwarp {

// The round warp brush: a weight for every point of the unit disc, shaped by
// pressure (overall strength), pinch (fall-off shape) and feather (soft rim).
// All arithmetic is in 32-bit floats so that the meshes built from it, and so
// every stroke, come out bit for bit the same on every run.
class WarpBrush {
public:
    float pressure() const { return pressure_; }
    float pinch() const { return pinch_; }
    float feather() const { return feather_; }

    // Stored clamped: pressure and feather to [0, 1], pinch to [-1, 1].
    void setPressure(double value);
    void setPinch(double value);
    void setFeather(double value);

    // Weight in [0, 1] at (x, y) in brush coordinates, where the disc is the
    // unit circle; 0 on and outside the circle.
    float weight(float x, float y) const;

private:
    float pressure_ = 1.0f;
    float pinch_ = 0.0f;
    float feather_ = 0.0f;
};

}  // namespace mugwarp
