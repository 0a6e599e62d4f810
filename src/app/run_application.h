#pragma once

namespace mugwarp {

// The whole program: windows in their order, the start-up pause, the message loop.
int runApplication(int argc, char** argv);

}  // namespace mugwarp
