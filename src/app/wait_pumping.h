#pragma once

namespace mugwarp {

// Keeps the windows alive for at least the given time by handling pending
// events over and over, without sleeping in between.
void waitPumping(int milliseconds);

}  // namespace mugwarp
