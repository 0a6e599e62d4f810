#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "edit/overlay_stack.h"
#include "raster/displacement_map.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

struct AnimationOptions {
    int frames = 24;            // 2 to 500, from the source to the result
    int delayMs = 80;           // per frame, 10 to 10000 (GIF keeps hundredths)
    bool looping = true;        // plays again and again
    bool backAndForth = false;  // the frames again from the result back to the source
};

// The morph from the undeformed source to the picture as shown: frame i of n
// deforms the source by the deformation scaled by eased(i / (n - 1)); the
// first frame is the source and the last the picture as shown, exactly.
// Overlays are drawn into every frame.
struct MorphInput {
    const PixelSurface& source;
    const PixelSurface& display;
    const DisplacementMap& deformation;  // empty: the identity
    const OverlayStack* overlays = nullptr;
};

// Slow in, slow out: 0 at 0, 1 at 1, no jump at either end.
double easeMorph(double t);

// The frame at t (0 source, 1 the picture as shown), overlays drawn in.
PixelSurface morphFrame(const MorphInput& input, double t);

// An animated GIF of the morph. Every frame is reduced to one palette made
// from the first and last frames, so colours do not flicker from frame to
// frame; places transparent in a frame (alpha below 128) are transparent in
// the GIF. Throws Error for options out of range or a picture too large.
std::vector<std::uint8_t> encodeMorphAnimation(const MorphInput& input, const AnimationOptions& options);
void writeMorphAnimation(const std::string& path, const MorphInput& input, const AnimationOptions& options);

}  // namespace mugwarp
