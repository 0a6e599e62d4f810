#include "edit/morph_animation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "document/surface_settings.h"
#include "formats/color_reduction.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "raster/error.h"
#include "raster/remap_transform.h"

namespace mugwarp {
namespace {

// Transparent places of every frame take this colour, which the shared
// palette is made to keep, so that it is the GIF's transparent index.
constexpr std::uint32_t kKeyRgb = 0xFF00FF;

bool transparent(Argb p) { return (p >> 24) < 128; }

// The frame as a 32-bit bitmap: transparent places in the key colour.
void keyInto(const PixelSurface& frame, PlatformBitmap& out, int top) {
    for (int y = 0; y < frame.height(); ++y) {
        const Argb* src = frame.row(y);
        std::uint8_t* dst = out.scanLine(top + y);
        for (int x = 0; x < frame.width(); ++x) {
            const std::uint32_t v = transparent(src[x]) ? (0xFF000000u | kKeyRgb) : (src[x] | 0xFF000000u);
            std::memcpy(dst + 4 * x, &v, 4);
        }
    }
}

// Maps colours to the nearest entry of one palette: exact colours through a
// small hash of the entries, the others through a table on 5 bits a channel,
// filled on first use of each cell.
class PaletteMapper {
public:
    PaletteMapper(const std::vector<PaletteEntry>& palette, int keyIndex) : palette_(palette), key_(keyIndex) {
        slots_.fill(-1);
        for (int i = 0; i < static_cast<int>(palette_.size()); ++i) {
            if (i == key_) continue;
            const std::uint32_t rgb = rgbOf(palette_[std::size_t(i)]);
            std::size_t s = hash(rgb);
            while (slots_[s] >= 0 && rgbOf(palette_[std::size_t(slots_[s])]) != rgb) s = (s + 1) % slots_.size();
            if (slots_[s] < 0) slots_[s] = i;
        }
        coarse_.fill(-1);
    }

    std::uint8_t index(Argb p) {
        if (transparent(p)) return static_cast<std::uint8_t>(key_);
        const std::uint32_t rgb = p & 0xFFFFFF;
        for (std::size_t s = hash(rgb);; s = (s + 1) % slots_.size()) {
            if (slots_[s] < 0) break;
            if (rgbOf(palette_[std::size_t(slots_[s])]) == rgb) return static_cast<std::uint8_t>(slots_[s]);
        }
        const std::size_t cell = ((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x3E0) | ((rgb >> 3) & 0x1F);
        if (coarse_[cell] < 0) coarse_[cell] = nearest(rgb);
        return static_cast<std::uint8_t>(coarse_[cell]);
    }

private:
    static std::uint32_t rgbOf(const PaletteEntry& e) {
        return std::uint32_t(e.red) << 16 | std::uint32_t(e.green) << 8 | e.blue;
    }
    static std::size_t hash(std::uint32_t rgb) { return (rgb * 2654435761u >> 22) & 1023; }
    int nearest(std::uint32_t rgb) const {
        const int r = int(rgb >> 16 & 255), g = int(rgb >> 8 & 255), b = int(rgb & 255);
        int best = 0, bestDistance = 1 << 30;
        for (int i = 0; i < static_cast<int>(palette_.size()); ++i) {
            if (i == key_) continue;
            const PaletteEntry& e = palette_[std::size_t(i)];
            const int d = (r - e.red) * (r - e.red) + (g - e.green) * (g - e.green) + (b - e.blue) * (b - e.blue);
            if (d < bestDistance) bestDistance = d, best = i;
        }
        return best;
    }

    const std::vector<PaletteEntry>& palette_;
    int key_;
    std::array<int, 1024> slots_{};
    std::array<int, 32768> coarse_{};
};

PixelSurface withOverlays(PixelSurface frame, const OverlayStack* overlays) {
    if (overlays && !overlays->isEmpty()) overlays->flattenInto(frame);
    return frame;
}

}  // namespace

double easeMorph(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

PixelSurface morphFrame(const MorphInput& input, double t) {
    const PixelSurface& shown = input.display.isEmpty() ? input.source : input.display;
    if (t >= 1.0 || input.deformation.width() == 0) {
        if (t <= 0.0) return withOverlays(input.source, input.overlays);
        return withOverlays(shown, input.overlays);
    }
    if (t <= 0.0) return withOverlays(input.source, input.overlays);
    const int w = input.source.width(), h = input.source.height();
    if (input.deformation.width() != w || input.deformation.height() != h)
        throw Error("The deformation does not fit the picture");
    RemapTransform remap;
    DisplacementMap& map = remap.displacementMap();
    map.setSize(w, h);
    const std::int64_t scale = std::llround(t * 65536.0);
    for (int y = 0; y < h; ++y) {
        const FixedVector* in = input.deformation.row(y);
        FixedVector* out = map.row(y);
        for (int x = 0; x < w; ++x)
            out[x] = {static_cast<Fixed>(in[x].x * scale / 65536), static_cast<Fixed>(in[x].y * scale / 65536)};
    }
    const FloatRect bounds{0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)};
    remap.setSrcRect(bounds);
    remap.setMappingRect(bounds);
    PixelSurface source = input.source;
    applySourceSettings(source, input.source.outerColor());
    PixelSurface frame(w, h);
    applyDisplaySettings(frame, input.source.outerColor());
    transform(frame, source, remap, frame.bounds());
    return withOverlays(std::move(frame), input.overlays);
}

std::vector<std::uint8_t> encodeMorphAnimation(const MorphInput& input, const AnimationOptions& options) {
    if (options.frames < 2 || options.frames > 500) throw Error("An animation has 2 to 500 frames");
    if (options.delayMs < 10 || options.delayMs > 10000) throw Error("A frame shows for 10 to 10000 ms");
    const int w = input.source.width(), h = input.source.height();
    if (w < 1 || h < 1) throw Error("There is no picture to animate");
    if (w > 0xFFFF || h > 0xFFFF / 2) throw Error("Picture is too large for a GIF file");

    const PixelSurface first = morphFrame(input, 0.0);
    const PixelSurface last = morphFrame(input, 1.0);
    // One palette for every frame, from the two ends of the morph, whose
    // colours the frames between move about.
    PlatformBitmap ends(w, 2 * h, 32);
    keyInto(first, ends, 0);
    keyInto(last, ends, h);
    bool anyTransparent = false;
    for (const PixelSurface* end : {&first, &last})
        for (int y = 0; y < h && !anyTransparent; ++y)
            anyTransparent = std::any_of(end->row(y), end->row(y) + w, transparent);
    const PlatformBitmap reduced = anyTransparent ? reduceColors(ends, kKeyRgb) : reduceColors(ends);
    const std::vector<PaletteEntry>& palette = reduced.palette();
    int keyIndex = -1;
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (palette[i].red == 0xFF && palette[i].green == 0 && palette[i].blue == 0xFF) keyIndex = static_cast<int>(i);
    PaletteMapper mapper(palette, anyTransparent ? keyIndex : -1);

    std::vector<PlatformBitmap> frames;
    for (int i = 0; i < options.frames; ++i) {
        PlatformBitmap indexed(w, h, 8);
        indexed.palette() = palette;
        if (i == 0 || i == options.frames - 1) {
            const int top = i == 0 ? 0 : h;  // the reduction's own indices
            for (int y = 0; y < h; ++y) std::memcpy(indexed.scanLine(y), reduced.scanLine(top + y), std::size_t(w));
        } else {
            const PixelSurface frame = morphFrame(input, easeMorph(double(i) / double(options.frames - 1)));
            for (int y = 0; y < h; ++y) {
                const Argb* src = frame.row(y);
                std::uint8_t* dst = indexed.scanLine(y);
                for (int x = 0; x < w; ++x) dst[x] = mapper.index(src[x]);
            }
        }
        frames.push_back(std::move(indexed));
    }

    GifImage gif;
    auto add = [&](const PlatformBitmap& frame) {
        gif.addFrameFromBitmap(frame);
        GifFrame& added = gif.frames.back();
        added.delay = options.delayMs;
        // A transparent place must show the background, not the frame before.
        if (anyTransparent) {
            gif.setFrameTransparency(gif.frames.size() - 1, PlatformColor{0xFF00FF});  // magenta either way round
            added.disposal = 2;
        }
    };
    for (const PlatformBitmap& frame : frames) add(frame);
    if (options.backAndForth)
        for (int i = options.frames - 2; i > 0; --i) add(frames[std::size_t(i)]);
    gif.version = 2;
    gif.looping = options.looping;
    gif.repeatCount = 0;
    return gif.store();
}

void writeMorphAnimation(const std::string& path, const MorphInput& input, const AnimationOptions& options) {
    writeFileAtomically(path, encodeMorphAnimation(input, options));
}

}  // namespace mugwarp
