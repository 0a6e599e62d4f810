#include "edit/recovery_file_legacy.h"

#include <zstd.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "formats/crc32.h"
#include "raster/cell_storage.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr char kMagic[8] = {'M', 'W', 'R', 'E', 'C', 'O', 'V', '\n'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kMaxNameBytes = 64 * 1024;
constexpr std::uint32_t kMaxOverlays = 4096;

[[noreturn]] void damaged() { throw Error("The recovery file is damaged"); }

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : bytes_(b) {}
    std::span<const std::uint8_t> take(std::size_t n) {
        if (n > bytes_.size() - at_) damaged();
        const auto part = bytes_.subspan(at_, n);
        at_ += n;
        return part;
    }
    std::uint32_t u32() {
        const auto b = take(4);
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    }
    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | std::uint64_t(u32()) << 32;
    }
    float f32() {
        const std::uint32_t u = u32();
        float v;
        std::memcpy(&v, &u, 4);
        return v;
    }
    std::string string() {
        const std::uint32_t n = u32();
        if (n > kMaxNameBytes) damaged();
        const auto b = take(n);
        return std::string(reinterpret_cast<const char*>(b.data()), b.size());
    }
    PixelSurface image() {
        const std::uint32_t w = u32(), h = u32();
        if (w < 1 || h < 1 || w > 1u << 20 || h > 1u << 20 ||
            std::int64_t{w} * std::int64_t{h} > kMaxCells)
            damaged();
        const Argb outer = u32();
        const std::uint64_t n = u64();
        if (n > bytes_.size() - at_) damaged();
        const auto packed = take(static_cast<std::size_t>(n));
        const std::size_t rowBytes = std::size_t{w} * 4;
        const std::size_t expected = rowBytes * h;
        // The frame must say it holds exactly the picture, before a byte of
        // memory is given to it.
        if (ZSTD_getFrameContentSize(packed.data(), packed.size()) != expected) damaged();
        PixelSurface picture(static_cast<int>(w), static_cast<int>(h));
        std::vector<std::uint8_t> filtered = allocateZeroed<std::uint8_t>(expected, "Not enough memory to recover the picture");
        const std::size_t got = ZSTD_decompress(filtered.data(), filtered.size(), packed.data(), packed.size());
        if (ZSTD_isError(got) || got != expected) damaged();
        for (std::uint32_t y = 0; y < h; ++y) {
            const std::uint8_t* in = filtered.data() + rowBytes * y;
            Argb* row = picture.row(static_cast<int>(y));
            std::array<std::uint8_t, 4> left{};
            for (std::uint32_t x = 0; x < w; ++x) {
                Argb p = 0;
                for (int k = 0; k < 4; ++k) {
                    left[k] = static_cast<std::uint8_t>(left[k] + in[4 * x + k]);
                    p |= Argb(left[k]) << (8 * k);
                }
                row[x] = p;
            }
        }
        picture.setOuterColor(outer);
        return picture;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

}  // namespace

RecoverySnapshot unpackLegacyRecovery(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < sizeof kMagic + 8 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) damaged();
    const auto body = bytes.first(bytes.size() - 4);
    Reader tail(bytes.last(4));
    if (crc32(body) != tail.u32()) damaged();

    Reader in(body);
    in.take(sizeof kMagic);
    if (in.u32() != kVersion) damaged();
    RecoverySnapshot s;
    s.savedAt = static_cast<std::int64_t>(in.u64());
    s.keyColor = in.u32();
    s.outerColor = in.u32();
    s.documentFileName = in.string();
    s.pictureFileName = in.string();
    s.picture = in.image();
    const std::uint32_t count = in.u32();
    if (count > kMaxOverlays) damaged();
    for (std::uint32_t i = 0; i < count; ++i) {
        FloatRect where;
        where.left = in.f32();
        where.top = in.f32();
        where.right = in.f32();
        where.bottom = in.f32();
        if (!std::isfinite(where.left) || !std::isfinite(where.top) || !std::isfinite(where.right) ||
            !std::isfinite(where.bottom))
            damaged();
        PixelSurface picture = in.image();
        picture.setDrawMode(DrawMode::Blend);
        picture.setSamplerKind(SamplerKind::Nearest);
        s.overlays.emplace_back(where, std::move(picture));
    }
    if (!in.atEnd()) damaged();
    return s;
}

}  // namespace mugwarp
