#include "pshost/host_properties.h"

#include "pshost/four_char_code.h"
#include "pshost/host_memory.h"
#include "pshost/unserved_log.h"

namespace mugwarp {

namespace {

constexpr std::intptr_t kBilinear = 2;
constexpr std::intptr_t kRulerPixels = 0;

enum class Answer { Simple, EmptyBlock };

void logKey(const char* what, abi::OSType key) { logUnserved(std::string(what) + " '" + fourCharText(key) + "'"); }

}  // namespace

abi::OSErr HostProperties::get(abi::OSType key, std::int32_t, std::intptr_t* simple, abi::Handle* complex) const {
    std::intptr_t value = 0;
    Answer answer = Answer::Simple;
    switch (key) {
        case fourCharCode("nuch"): value = 3; break;               // channels: red, green, blue
        case fourCharCode("mode"): value = abi::kImageModeRGB; break;
        case fourCharCode("nupa"): value = 0; break;               // no paths
        case fourCharCode("bndH"): value = bigNudgeH_; break;
        case fourCharCode("bndV"): value = bigNudgeV_; break;
        case fourCharCode("intp"): value = kBilinear; break;
        case fourCharCode("rulr"): value = kRulerPixels; break;
        // The whole picture is one tile: its height in the high half.
        case fourCharCode("TSiz"): value = (std::intptr_t(height_) << 16) | width_; break;
        case fourCharCode("docW"): value = width_; break;
        case fourCharCode("docH"): value = height_; break;
        case fourCharCode("cpyr"):
        case fourCharCode("cpyR"):
        case fourCharCode("watr"):
        case fourCharCode("hgam"): value = 0; break;  // not copyrighted, no watermark, no hardware gamma
        case fourCharCode("capt"):
        case fourCharCode("URL "):
        case fourCharCode("sstr"):
        case fourCharCode("sstR"): answer = Answer::EmptyBlock; break;  // none, and an empty serial string
        default:
            logKey("property", key);
            return abi::kHostInsufficient;
    }
    if (answer == Answer::Simple) {
        if (!simple) return abi::kParamErr;
        *simple = value;
        return abi::kNoErr;
    }
    if (!complex) return abi::kParamErr;
    *complex = HostMemory::instance().allocate(0);
    return *complex ? abi::kNoErr : abi::kMemFullErr;
}

abi::OSErr HostProperties::set(abi::OSType key, std::int32_t, std::intptr_t simple, abi::Handle) {
    switch (key) {
        case fourCharCode("bndH"): bigNudgeH_ = abi::Fixed(simple); return abi::kNoErr;
        case fourCharCode("bndV"): bigNudgeV_ = abi::Fixed(simple); return abi::kNoErr;
        default:
            logKey("setting property", key);
            return abi::kHostInsufficient;
    }
}

}  // namespace mugwarp
