#include "filterapply/filter_application.h"

#include "document/document.h"

namespace mugwarp {

bool applyFilter(Document& document, filterproc::FilterRunnerHost& host, const PIPLManager& entry, bool repeat,
                 ByteMap& mask) {
    if (!document.pictureLoaded()) return false;
    // A filter run is one step of the history, which never resizes.
    document.setSizeChanged(false);
    document.snapshotForUndo();
    PixelSurface& display = document.display();
    mask.setSize(display.width(), display.height());
    mask.fill(255);
    const MaskView maskView{mask.row(0), mask.width(), mask.height(), mask.width()};
    host.setPicture({display.bits(), display.width(), display.height(), display.width()});
    host.setMask(&maskView);
    host.options.repeat = repeat;
    const bool finished = host.execute(entry);
    display.changed();
    document.rebaseFromDisplay(true);
    return finished;
}

}  // namespace mugwarp
