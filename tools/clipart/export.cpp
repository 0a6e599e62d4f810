#include "export.h"

#include <algorithm>
#include <QPainter>
#include <map>

#include "formats/bmp_codec.h"
#include "formats/file_io.h"
#include "formats/gif_image.h"
#include "formats/jpeg_codec.h"
#include "median_cut.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace clipart {
namespace {

constexpr int kCoverageThreshold = 128;

// Every pixel either opaque in its own colour or the key with alpha 0.
QImage hardEdged(const QImage& drawing) {
    QImage image = drawing.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = qAlpha(row[x]) >= kCoverageThreshold ? (row[x] | 0xFF000000u) : (kKeyColor & 0x00FFFFFFu);
    }
    return image;
}

std::vector<QRgb> paletteAvoidingKey(const QImage& hard) {
    std::vector<QRgb> palette = medianCutPalette(hard, 255);
    for (QRgb& entry : palette)
        if ((entry & 0xFFFFFFu) == (kKeyColor & 0xFFFFFFu)) entry = qRgb(255, 255, 255);
    return palette;
}

mugwarp::PlatformBitmap indexedWithKey(const QImage& hard, const std::vector<QRgb>& palette) {
    // Index 0 is the key; the picture's colours follow it.
    mugwarp::PlatformBitmap bitmap(hard.width(), hard.height(), 8);
    auto& entries = bitmap.palette();
    entries.assign(256, mugwarp::PaletteEntry{});
    entries[0] = {std::uint8_t(qBlue(kKeyColor)), std::uint8_t(qGreen(kKeyColor)), std::uint8_t(qRed(kKeyColor)), 0};
    for (std::size_t i = 0; i < palette.size(); ++i)
        entries[i + 1] = {std::uint8_t(qBlue(palette[i])), std::uint8_t(qGreen(palette[i])), std::uint8_t(qRed(palette[i])), 0};
    std::map<QRgb, int> nearest;
    for (int y = 0; y < hard.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(hard.constScanLine(y));
        for (int x = 0; x < hard.width(); ++x) {
            if (qAlpha(row[x]) != 255) continue;
            auto found = nearest.find(row[x]);
            if (found == nearest.end()) found = nearest.emplace(row[x], nearestEntry(palette, row[x]) + 1).first;
            bitmap.setPixelIndex(x, y, found->second);
        }
    }
    bitmap.setTransparent(true);
    bitmap.setTransparentColor(mugwarp::platformFromArgb(kKeyColor));
    return bitmap;
}

mugwarp::PixelSurface onWhite(const QImage& drawing) {
    QImage flat(drawing.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, drawing);
    }
    mugwarp::PixelSurface surface(flat.width(), flat.height());
    for (int y = 0; y < flat.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        std::transform(row, row + flat.width(), surface.row(y), [](QRgb c) { return c | 0xFF000000u; });
    }
    return surface;
}

}  // namespace

void writeKeyedGif(const QImage& drawing, const QString& path) {
    const QImage hard = hardEdged(drawing);
    mugwarp::GifImage gif;
    gif.addFrameFromBitmap(indexedWithKey(hard, paletteAvoidingKey(hard)));
    const std::vector<std::uint8_t> bytes = gif.store();
    mugwarp::writeFileAtomically(path.toStdString(), bytes);
}

void writeFlatPicture(const QImage& drawing, const QString& path) {
    const mugwarp::PixelSurface surface = onWhite(drawing);
    const bool jpeg = path.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive);
    const std::vector<std::uint8_t> bytes = jpeg ? mugwarp::encodeJpeg(surface) : mugwarp::encodeBmp(surface);
    mugwarp::writeFileAtomically(path.toStdString(), bytes);
}

}  // namespace clipart
