#include "median_cut.h"

#include <algorithm>
#include <array>
#include <map>

namespace clipart {
namespace {

struct ColorCount {
    std::array<int, 3> rgb;
    long count;
};

struct Box {
    std::vector<ColorCount> colors;
    double error = 0;
    int widestChannel = 0;

    std::array<double, 3> mean() const {
        std::array<double, 3> sum{};
        long total = 0;
        for (const ColorCount& c : colors) {
            for (int k = 0; k < 3; ++k) sum[k] += double(c.rgb[k]) * double(c.count);
            total += c.count;
        }
        for (double& s : sum) s /= double(std::max<long>(total, 1));
        return sum;
    }

    void measure() {
        const std::array<double, 3> m = mean();
        std::array<double, 3> spread{};
        for (const ColorCount& c : colors)
            for (int k = 0; k < 3; ++k) {
                const double d = c.rgb[k] - m[k];
                spread[k] += d * d * double(c.count);
            }
        error = colors.size() < 2 ? 0 : spread[0] + spread[1] + spread[2];
        widestChannel = int(std::max_element(spread.begin(), spread.end()) - spread.begin());
    }
};

std::pair<Box, Box> split(Box box) {
    const int k = box.widestChannel;
    std::sort(box.colors.begin(), box.colors.end(),
              [k](const ColorCount& a, const ColorCount& b) { return a.rgb[k] < b.rgb[k]; });
    long total = 0;
    for (const ColorCount& c : box.colors) total += c.count;
    long running = 0;
    std::size_t cut = 1;
    for (std::size_t i = 0; i + 1 < box.colors.size(); ++i) {
        running += box.colors[i].count;
        cut = i + 1;
        if (running * 2 >= total) break;
    }
    Box low, high;
    low.colors.assign(box.colors.begin(), box.colors.begin() + std::ptrdiff_t(cut));
    high.colors.assign(box.colors.begin() + std::ptrdiff_t(cut), box.colors.end());
    low.measure();
    high.measure();
    return {std::move(low), std::move(high)};
}

}  // namespace

std::vector<QRgb> medianCutPalette(const QImage& image, int maxColors) {
    std::map<QRgb, long> histogram;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) == 255) ++histogram[row[x] | 0xFF000000u];
    }
    if (histogram.empty()) return {};
    Box all;
    for (const auto& [rgb, count] : histogram) all.colors.push_back({{qRed(rgb), qGreen(rgb), qBlue(rgb)}, count});
    all.measure();
    std::vector<Box> boxes;
    boxes.push_back(std::move(all));
    while (int(boxes.size()) < maxColors) {
        auto worst = std::max_element(boxes.begin(), boxes.end(),
                                      [](const Box& a, const Box& b) { return a.error < b.error; });
        if (worst->error <= 0) break;
        auto [low, high] = split(std::move(*worst));
        *worst = std::move(low);
        boxes.push_back(std::move(high));
    }
    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        const std::array<double, 3> m = box.mean();
        palette.push_back(qRgb(int(m[0] + 0.5), int(m[1] + 0.5), int(m[2] + 0.5)));
    }
    return palette;
}

int nearestEntry(const std::vector<QRgb>& palette, QRgb color) {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const long dr = qRed(palette[i]) - qRed(color);
        const long dg = qGreen(palette[i]) - qGreen(color);
        const long db = qBlue(palette[i]) - qBlue(color);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

}  // namespace clipart
