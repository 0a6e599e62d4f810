#include "document/filter_application.h"

#include "document/document.h"

namespace mugwarp {

namespace {

PixelsView viewOf(PixelSurface& s) { return {s.bits(), s.width(), s.height(), s.width()}; }

// The module stays loaded only for the run, whatever way the run ends.
struct OpenModule {
    PSFilterHost& host;
    OpenModule(PSFilterHost& h, PIPLManager& entry) : host(h) { host.openModule(entry); }
    ~OpenModule() { host.closeModule(); }
};

// A filter run is one step of the history, which never resizes.
void beginFilterStep(Document& document) {
    document.setSizeChanged(false);
    document.snapshotForUndo();
}

}  // namespace

bool applyFilter(Document& document, PSFilterHost& host, PIPLManager& entry, bool repeat, ByteMap& mask) {
    if (!document.pictureLoaded()) return false;
    beginFilterStep(document);
    PixelSurface& display = document.display();
    PixelSurface unfiltered = display;
    mask.setSize(display.width(), display.height());
    mask.fill(255);
    const MaskView maskView{mask.row(0), mask.width(), mask.height(), mask.width()};
    host.setPicture(viewOf(display), viewOf(unfiltered));
    host.setMask(&maskView);
    host.executeLastFilter = repeat;
    bool finished = false;
    try {
        OpenModule module(host, entry);
        finished = host.execute();
    } catch (...) {
        display = unfiltered;
        display.changed();
        document.commitChange();  // pixels as they were: no step
        throw;
    }
    document.rebaseFromDisplay(true);
    return finished;
}

bool applyFilter(Document& document, filterproc::FilterRunnerHost& host, const PIPLManager& entry, bool repeat,
                 ByteMap& mask) {
    if (!document.pictureLoaded()) return false;
    beginFilterStep(document);
    PixelSurface& display = document.display();
    mask.setSize(display.width(), display.height());
    mask.fill(255);
    const MaskView maskView{mask.row(0), mask.width(), mask.height(), mask.width()};
    host.setPicture(viewOf(display));
    host.setMask(&maskView);
    host.executeLastFilter = repeat;
    const bool finished = host.execute(entry);
    display.changed();
    document.rebaseFromDisplay(true);
    return finished;
}

}  // namespace mugwarp
