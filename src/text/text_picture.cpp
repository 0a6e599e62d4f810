#include "text/text_picture.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <cstring>

#include "raster/error.h"

namespace mugwarp {

TextStyle TextStyle::initial() {
    QFont font = QGuiApplication::font();
    font.setPointSize(8);
    return {font, QGuiApplication::palette().color(QPalette::WindowText)};
}

PixelSurface textPicture(const QString& text, const TextStyle& style) {
    const QFontMetrics metrics(style.font);
    const int height = metrics.height() + 5;
    const int width = metrics.horizontalAdvance(text) + 15;
    const QRgb background = (style.color.rgb() & 0xFFFFFF) == 0xFFFFFF ? 0xFF000000u : 0xFFFFFFFFu;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) throw Error("Not enough memory for the text picture");
    image.fill(background);
    {
        QPainter painter(&image);
        painter.setFont(style.font);
        painter.setPen(style.color);
        painter.drawText(QPoint(0, metrics.ascent()), text);
    }
    PixelSurface picture(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        Argb* out = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const Argb rgb = in[x] & 0xFFFFFF;
            out[x] = rgb == (background & 0xFFFFFF) ? rgb : (rgb | 0xFF000000u);
        }
    }
    picture.setDrawMode(DrawMode::Blend);
    return picture;
}

}  // namespace mugwarp
