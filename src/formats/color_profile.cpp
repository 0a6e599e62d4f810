#include "formats/color_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "raster/error.h"

namespace mugwarp {
namespace {

struct ProfileCloser {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
struct TransformDeleter {
    void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;

// Little CMS reports through a process-wide handler; a damaged profile is
// a note for the user, so its messages are not printed.
void quietHandler(cmsContext, cmsUInt32Number, const char*) {}

// Profiles that say "sRGB" in their description are taken at their word:
// converting through them costs time and, at best, changes nothing.
bool describesSrgb(cmsHPROFILE profile) {
    char text[128] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    const std::string d(text);
    return d.rfind("sRGB", 0) == 0 && d.find("Linear") == std::string::npos;
}

}  // namespace

std::string convertToSrgb(PlatformBitmap& bitmap, std::span<const std::uint8_t> iccProfile) {
    if (iccProfile.empty() || bitmap.isEmpty()) return {};
    cmsSetLogErrorHandler(quietHandler);
    Profile source(cmsOpenProfileFromMem(iccProfile.data(), cmsUInt32Number(iccProfile.size())));
    if (!source) return "The picture's colour profile is damaged and was ignored";
    const cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
    // Grey and ink profiles describe channels the decoder has already turned
    // into RGB: nothing to convert through them.
    if (space != cmsSigRgbData) return {};
    if (describesSrgb(source.get())) return {};
    Profile srgb(cmsCreate_sRGBProfile());
    // No one-pixel cache: the transform is shared by the threads below.
    Transform transform(cmsCreateTransform(source.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                           cmsFLAGS_COPY_ALPHA | cmsFLAGS_NOCACHE));
    if (!transform) return "The picture's colour profile cannot be used and was ignored";
    if (bitmap.bitsPerPixel() != 32) bitmap.setBitsPerPixel(32);
    // Rows are stored contiguously: each thread converts one band of them
    // with a single call. A phone photo has tens of millions of pixels, and
    // the conversion is most of what opening costs beyond decoding.
    const cmsUInt32Number width = cmsUInt32Number(bitmap.width());
    const cmsUInt32Number stride = cmsUInt32Number(bitmap.stride());
    const int rows = bitmap.height();
    const int bands = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(1, rows / 64));
    const auto convertBand = [&](int band) {
        const int first = int(std::int64_t(rows) * band / bands);
        const int last = int(std::int64_t(rows) * (band + 1) / bands);
        std::uint8_t* start = bitmap.data() + std::size_t(first) * stride;
        cmsDoTransformLineStride(transform.get(), start, start, width, cmsUInt32Number(last - first), stride, stride, 0, 0);
    };
    std::vector<std::thread> helpers;
    try {
        for (int band = 1; band < bands; ++band) helpers.emplace_back(convertBand, band);
    } catch (const std::exception&) {
        // No thread to be had: the bands not handed out are done here.
        for (int band = int(helpers.size()) + 1; band < bands; ++band) convertBand(band);
    }
    convertBand(0);
    for (std::thread& t : helpers) t.join();
    return {};
}

const std::vector<std::uint8_t>& srgbProfileBytes() {
    static const std::vector<std::uint8_t> bytes = [] {
        Profile srgb(cmsCreate_sRGBProfile());
        cmsUInt32Number size = 0;
        if (!srgb || !cmsSaveProfileToMem(srgb.get(), nullptr, &size)) return std::vector<std::uint8_t>{};
        std::vector<std::uint8_t> out(size);
        if (!cmsSaveProfileToMem(srgb.get(), out.data(), &size)) return std::vector<std::uint8_t>{};
        return out;
    }();
    return bytes;
}

}  // namespace mugwarp
