#include "edit/project_thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "raster/error.h"

namespace mugwarp {

PixelSurface shrinkPicture(const PixelSurface& picture, int width, int height) {
    const int w = picture.width(), h = picture.height();
    if (w < 1 || h < 1 || width < 1 || height < 1 || width > w || height > h)
        throw Error("A picture can only be shrunk to a size within its own");
    std::vector<int> column(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) column[std::size_t(x)] = static_cast<int>(std::int64_t{x} * width / w);
    PixelSurface out(width, height);
    // Per thumbnail pixel: alpha-weighted red, green, blue, then alpha, then the count.
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 5);
    int y = 0;
    for (int oy = 0; oy < height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int yEnd = static_cast<int>((std::int64_t{oy} + 1) * h / height);
        for (; y < yEnd; ++y) {
            const Argb* row = picture.row(y);
            for (int x = 0; x < w; ++x) {
                const Argb p = row[x];
                const std::uint64_t a = p >> 24;
                std::uint64_t* s = &sums[std::size_t(column[std::size_t(x)]) * 5];
                s[0] += a * (p >> 16 & 255);
                s[1] += a * (p >> 8 & 255);
                s[2] += a * (p & 255);
                s[3] += a;
                s[4] += 1;
            }
        }
        Argb* dst = out.row(oy);
        for (int ox = 0; ox < width; ++ox) {
            const std::uint64_t* s = &sums[std::size_t(ox) * 5];
            const std::uint64_t a = s[3];
            if (a == 0) {
                dst[ox] = 0;
                continue;
            }
            auto channel = [&](std::uint64_t sum) { return static_cast<std::uint8_t>((sum + a / 2) / a); };
            dst[ox] = makeArgb(static_cast<std::uint8_t>((a + s[4] / 2) / s[4]), channel(s[0]), channel(s[1]), channel(s[2]));
        }
    }
    return out;
}

PixelSurface projectThumbnail(ProjectSnapshot project, int size) {
    if (size < 1) throw Error("A thumbnail needs a size of at least 1 pixel");
    // The stored preview serves every size it is large enough for.
    const int previewSide = std::max(project.preview.width(), project.preview.height());
    if (previewSide > 0 && project.source.isEmpty() && previewSide < size) return std::move(project.preview);
    if (previewSide >= size) {
        const PixelSurface& p = project.preview;
        const int longest = previewSide;
        const int tw = std::max(1, static_cast<int>((std::int64_t{p.width()} * size + longest / 2) / longest));
        const int th = std::max(1, static_cast<int>((std::int64_t{p.height()} * size + longest / 2) / longest));
        return shrinkPicture(p, tw, th);
    }
    PixelSurface picture = project.display.isEmpty() ? std::move(project.source) : std::move(project.display);
    OverlayStack overlays;
    for (Overlay& overlay : project.overlays) overlays.add(std::move(overlay));
    overlays.flattenInto(picture);
    const int w = picture.width(), h = picture.height();
    const int longest = std::max(w, h);
    if (longest <= size) return picture;
    const int tw = std::max(1, static_cast<int>((std::int64_t{w} * size + longest / 2) / longest));
    const int th = std::max(1, static_cast<int>((std::int64_t{h} * size + longest / 2) / longest));
    return shrinkPicture(picture, tw, th);
}

}  // namespace mugwarp
