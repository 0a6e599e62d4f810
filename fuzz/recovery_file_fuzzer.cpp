// A recovery copy as the next start finds it (any bytes with a right
// checksum): read, or refused as damaged.
#include "checksum_fixup.h"
#include "edit/recovery_file.h"
#include "fuzz_input.h"
#include "raster/error.h"

MUGWARP_FUZZ_TARGET(bytes) {
    try {
        const mugwarp::RecoverySnapshot snapshot = mugwarp::unpackRecovery(withChecksum(bytes));
        (void)snapshot.overlays.size();
    } catch (const mugwarp::Error&) {
    }
}
