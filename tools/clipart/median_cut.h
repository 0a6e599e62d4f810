#pragma once
#include <QImage>
#include <QRgb>
#include <vector>

namespace clipart {

// A palette of at most maxColors colours for the opaque pixels of image
// (alpha 255 in a non-premultiplied ARGB32 image), by recursive median cut:
// the box with the largest squared error is split at the weighted median of
// its widest channel. Pixels with alpha below 255 are not counted.
std::vector<QRgb> medianCutPalette(const QImage& image, int maxColors);

// The index of the entry of palette nearest to color (squared RGB distance).
int nearestEntry(const std::vector<QRgb>& palette, QRgb color);

}  // namespace clipart
