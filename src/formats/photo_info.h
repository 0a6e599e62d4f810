#pragma once
#include <cstdint>
#include <vector>

namespace mugwarp {

// The descriptive blocks a photo carries besides its pixels, kept as the
// camera wrote them so that a save can hand them on unchanged.
struct PhotoInfo {
    // A TIFF-structured EXIF stream (starting "II*\0" or "MM\0*"), without
    // the "Exif\0\0" prefix JPEG puts before it.
    std::vector<std::uint8_t> exif;
    // An XMP packet (XML text).
    std::vector<std::uint8_t> xmp;
    // The body of a JPEG APP13 segment ("Photoshop 3.0\0" and its resource
    // blocks, IPTC among them).
    std::vector<std::uint8_t> iptc;

    bool empty() const { return exif.empty() && xmp.empty() && iptc.empty(); }
};

}  // namespace mugwarp
