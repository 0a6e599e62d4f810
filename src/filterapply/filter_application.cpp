#include "filterapply/filter_application.h"

#include "document/document.h"

namespace mugwarp {

namespace {

// The display as the change began: the runner that wrote into it where it
// lives may have left it half-written, or its storage unreadable (a file made
// shorter), so it moves to a block of its own that gets the picture back.
void restoreDisplay(Document& document) {
    PixelSurface& display = document.display();
    display.leaveStorage();
    if (document.keepingHistory()) {
        display = document.undoPicture();
    } else {
        // Nothing kept the picture as shown (a script that never undoes
        // keeps no copies, and ends at the fault): the picture shown becomes
        // the source itself, the deformation dropped.
        document.rebuildFromSource();
    }
}

}  // namespace

bool applyFilter(Document& document, filterproc::FilterRunnerHost& host, const PIPLManager& entry, bool repeat,
                 ByteMap& mask) {
    if (!document.pictureLoaded()) return false;
    // A filter run is one step of the history, which never resizes.
    document.setSizeChanged(false);
    document.snapshotForUndo();
    PixelSurface& display = document.display();
    const bool everythingSelected = mask.width() != display.width() || mask.height() != display.height();
    // The display lives in the runner's shared picture from its first run on,
    // so runs copy nothing in or out.
    if (everythingSelected)
        display.adoptStorage(
            host.pictureStorage(entry, display.width(), display.height(), display.storage(), display.bits()));
    const MaskView maskView{mask.row(0), mask.width(), mask.height(), mask.width()};
    host.setPicture({display.bits(), display.width(), display.height(), display.width()});
    host.setMask(everythingSelected ? nullptr : &maskView);
    host.options.repeat = repeat;
    bool finished = false;
    try {
        finished = host.execute(entry);
    } catch (const filterproc::RunnerFault&) {
        restoreDisplay(document);
        // The picture is back as it was: the change ends here, as no step
        // (nothing differs) and without leaving the picture marked changed.
        document.commitChange();
        throw;
    } catch (const PhotoshopError&) {
        // The filter's own error: the display shows the rectangles it wrote
        // until it is next rendered from the source, which stays as it was.
        display.changed();
        throw;
    }
    display.changed();
    document.rebaseFromDisplay(true);
    return finished;
}

}  // namespace mugwarp
