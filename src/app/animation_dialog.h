#pragma once
#include <optional>

#include "edit/morph_animation.h"

class QWidget;

namespace mugwarp {

// File > Export Animation's question: frames, delay per frame, looping and
// back-and-forth, starting from current. nullopt when cancelled.
std::optional<AnimationOptions> askAnimationOptions(QWidget* parent, const AnimationOptions& current);

}  // namespace mugwarp
