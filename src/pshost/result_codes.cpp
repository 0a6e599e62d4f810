#include "pshost/filter_abi.h"
#include "pshost/photoshop_error.h"

namespace mugwarp {

std::string pluginErrorMessage(std::int16_t code) {
    switch (code) {
        case abi::kReadErr: return "Driver can't respond to Read call";
        case abi::kWritErr: return "Driver can't respond to Write call";
        case abi::kOpenErr:
            return "Requested read/write permission doesn't match driver's open permission, or Attempt to open RAM "
                   "serial Driver failed";
        case abi::kDiskFullErr: return "Disk full";
        case abi::kIoErr: return "I/O error";
        case abi::kEofErr: return "End of file; no additional data in the format";
        case abi::kFileNotFoundErr:
            return "File not found; Folder not found; Edition container not found; Target not found";
        case abi::kFileLockedErr: return "File is locked";
        case abi::kVolumeLockedErr: return "Volume is locked through software";
        case abi::kParamErr: return "Error in user parameter list";
        case abi::kMemFullErr: return "Ran out of memory [not enough room in heap zone]";
        case abi::kNilHandleErr:
            return "GetHandleSize fails on baseText or substitutionText; NIL master pointer [handle was NIL in "
                   "HandleZone or other]";
        case abi::kMemWZErr:
            return "Attempted to operate on a free block; GetHandleSize failson baseText or substitutionText "
                   "[WhichZone failed (applied to free block)]";
        case abi::kFilterBadParameters: return "The plug-in received an erroneous parameter block.";
        case abi::kFilterBadMode: return "The plug-in does not support the current color mode.";
        case abi::kHostInsufficient: return "The plug-in requires services not provided by this host.";
        case abi::kPropertyUndefined: return "A requested property could not be found.";
        default: return "Unknown plug-in error.";
    }
}

void checkPluginResult(std::int16_t code) {
    if (code == 0) return;
    if (code > 0 || code == abi::kUserCanceledErr) throw FilterCancelled{};
    throw PhotoshopError(pluginErrorMessage(code));
}

}  // namespace mugwarp
