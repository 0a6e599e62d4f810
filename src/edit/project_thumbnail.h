#pragma once
#include "edit/project_file.h"

namespace mugwarp {

// The picture a project shows (overlays drawn in), shrunk to fit a square of
// size pixels by averaging the pixels each thumbnail pixel covers (colours
// weighted by their alpha, so transparent places leave no dark fringe). A
// picture that already fits keeps its size. Takes the project's pictures.
PixelSurface projectThumbnail(ProjectSnapshot project, int size);

// The same averaging for any picture: to width x height, each at least 1.
PixelSurface shrinkPicture(const PixelSurface& picture, int width, int height);

}  // namespace mugwarp
