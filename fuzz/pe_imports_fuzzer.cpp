// The import directory reader of Windows modules (the DLLs a module needs,
// whether it is a .NET assembly), on any bytes.
#include "fuzz_input.h"
#include "pshost/pe_imports.h"

MUGWARP_FUZZ_TARGET(bytes) { (void)mugwarp::readPeImports(bytes); }
