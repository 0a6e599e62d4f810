// One PiPL resource (with its leading word, as a module carries it) and what
// the host reads from its properties.
#include "fuzz_input.h"
#include "pshost/pipl_manager.h"

MUGWARP_FUZZ_TARGET(bytes) {
    if (bytes.size() < 2) return;
    mugwarp::PIPLManager entry;
    entry.loadFromPIPL(bytes.subspan(2));
    (void)entry.getName();
    (void)entry.getCategory();
    (void)entry.getEntryPoint();
    for (int filterCase = 0; filterCase <= 8; ++filterCase) (void)entry.filterCaseFlags(filterCase);
}
