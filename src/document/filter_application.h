#pragma once
#include "filterproc/filter_runner_host.h"
#include "pshost/ps_filter_host.h"
#include "raster/displacement_map.h"

namespace mugwarp {

class Document;

// Runs a discovered filter over the displayed picture, the way the Filters
// menu and the command line do: the host reads an unfiltered copy, writes the
// display, and the display then becomes the new picture, baking in the
// deformation that was shown (also after a cancel, which restores the pixels
// first). mask is resized to the picture and fully selected. An error
// (PhotoshopError, or a module that cannot run) puts the displayed pixels back
// and leaves the picture and its deformation as they were. Returns whether
// the filter finished (false: cancelled); does nothing without a picture.
bool applyFilter(Document& document, PSFilterHost& host, PIPLManager& entry, bool repeat, ByteMap& mask);
// The same with the filter running in a runner process, so that a faulty
// module cannot take the caller down; the runner makes the unfiltered copy
// and a failure leaves the displayed pixels untouched.
bool applyFilter(Document& document, filterproc::FilterRunnerHost& host, const PIPLManager& entry, bool repeat,
                 ByteMap& mask);

}  // namespace mugwarp
