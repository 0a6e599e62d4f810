#include "cli/save_flags.h"

#include <charconv>

namespace mugwarp::cli {

SaveOptions SaveFlags::options(const PhotoInfo& info) const {
    SaveOptions o;
    o.photoInfo = stripMetadata ? nullptr : &info;
    o.quality = quality;
    o.webpLossless = lossless;
    return o;
}

bool takeSaveFlags(const std::vector<std::string>& args, std::vector<std::string>& rest, SaveFlags& flags) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--strip-metadata") {
            flags.stripMetadata = true;
        } else if (a == "--lossless") {
            flags.lossless = true;
        } else if (a == "--quality") {
            if (++i == args.size()) return false;
            const std::string& v = args[i];
            int q = 0;
            const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), q);
            if (error != std::errc() || end != v.data() + v.size() || q < 1 || q > 100) return false;
            flags.quality = q;
        } else {
            rest.push_back(a);
        }
    }
    return true;
}

std::string saveFlagsHelp() {
    return "  --strip-metadata  write no camera information (EXIF, XMP, IPTC) into a JPEG or\n"
           "                    WebP; by default it is kept, minus orientation and thumbnail\n"
           "  --quality N       JPEG and lossy WebP quality, 1 to 100 (default 90)\n"
           "  --lossless        write a .webp lossless\n";
}

}  // namespace mugwarp::cli
