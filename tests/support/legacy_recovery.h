#pragma once
// Writes recovery copies in the format editors used before recovery copies
// became project files, so that tests can hand the reader such copies
// (including forged ones).
#include <zstd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "edit/recovery_file.h"
#include "formats/crc32.h"

namespace mugwarp::test {

class LegacyRecoveryWriter {
public:
    std::vector<std::uint8_t> bytes;
    void raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void f32(float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    }
    void string(const std::string& s) {
        u32(static_cast<std::uint32_t>(s.size()));
        raw(s.data(), s.size());
    }
    void image(const PixelSurface& picture) {
        const int w = picture.width(), h = picture.height();
        u32(static_cast<std::uint32_t>(w));
        u32(static_cast<std::uint32_t>(h));
        u32(picture.outerColor());
        const std::size_t rowBytes = static_cast<std::size_t>(w) * 4;
        std::vector<std::uint8_t> filtered(rowBytes * static_cast<std::size_t>(h));
        for (int y = 0; y < h; ++y) {
            const Argb* row = picture.row(y);
            std::uint8_t* out = filtered.data() + rowBytes * static_cast<std::size_t>(y);
            Argb left = 0;
            for (int x = 0; x < w; ++x) {
                for (int k = 0; k < 4; ++k)
                    out[4 * x + k] = static_cast<std::uint8_t>((row[x] >> (8 * k)) - (left >> (8 * k)));
                left = row[x];
            }
        }
        std::vector<std::uint8_t> packed(ZSTD_compressBound(filtered.size()));
        const std::size_t n = ZSTD_compress(packed.data(), packed.size(), filtered.data(), filtered.size(), 1);
        u64(n);
        raw(packed.data(), n);
    }
};

inline std::vector<std::uint8_t> packLegacyRecovery(const RecoverySnapshot& s) {
    LegacyRecoveryWriter out;
    out.raw("MWRECOV\n", 8);
    out.u32(1);
    out.u64(static_cast<std::uint64_t>(s.savedAt));
    out.u32(s.keyColor);
    out.u32(s.outerColor);
    out.string(s.documentFileName);
    out.string(s.pictureFileName);
    out.image(s.picture);
    out.u32(static_cast<std::uint32_t>(s.overlays.size()));
    for (const Overlay& overlay : s.overlays) {
        out.f32(overlay.location.left);
        out.f32(overlay.location.top);
        out.f32(overlay.location.right);
        out.f32(overlay.location.bottom);
        out.image(*overlay.picture);
    }
    out.u32(crc32(out.bytes));
    return std::move(out.bytes);
}

}  // namespace mugwarp::test
