#pragma once
#include "filterproc/filter_runner_host.h"
#include "raster/displacement_map.h"

namespace mugwarp {

class Document;

// Runs a discovered filter over the displayed picture, the way the Filters
// menu and the command line do: the filter runs in a runner process of its
// module kind (so a faulty module cannot take the caller down) over the
// display, and the display then becomes the new picture, baking in the
// deformation that was shown (also after a cancel, which leaves the pixels as
// they were). With everything selected (mask not of the picture's size, as
// the editor has no selection) the display moves into the runner's shared
// picture on its first run and stays there, so later runs copy nothing. The
// run is made with host.options, repeat set as asked. The filter's own error
// (PhotoshopError) leaves the rectangles it wrote shown in the display, the
// picture and its deformation as they were; a fault of the runner
// (filterproc::RunnerFault: a crash, a hang, a broken protocol) gives the
// display back exactly as it was. Returns whether the filter finished (false:
// cancelled); does nothing without a picture.
bool applyFilter(Document& document, filterproc::FilterRunnerHost& host, const PIPLManager& entry, bool repeat,
                 ByteMap& mask);

}  // namespace mugwarp
