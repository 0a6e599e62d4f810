#pragma once
// The arithmetic of the Gaussian Blur sample: a separable blur over 2 r + 1
// pixels with sigma r / 2, 12-bit weights, edges repeated, on interleaved RGB
// bytes, one band of rows at a time. The filter runs it on the blocks the host
// hands it; the benchmark's plain loop runs the very same code on a plain
// buffer, so that the two differ only by what the host costs.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace filters::gaussian {

constexpr int kBandRows = 256;
constexpr int kWeightBits = 12;  // the weights sum to 4096

inline std::vector<std::int32_t> weights(int radius) {
    const double sigma = radius / 2.0;
    std::vector<double> w(2 * radius + 1);
    double sum = 0;
    for (int k = -radius; k <= radius; ++k) sum += w[k + radius] = std::exp(-(k * k) / (2 * sigma * sigma));
    std::vector<std::int32_t> out(w.size());
    std::int32_t total = 0;
    for (std::size_t i = 0; i < w.size(); ++i) total += out[i] = std::int32_t(std::lround(w[i] / sum * (1 << kWeightBits)));
    out[radius] += (1 << kWeightBits) - total;  // exact unit sum
    return out;
}

// Where one band reads and writes: `in` holds picture rows inTop .. inTop +
// inRows - 1 (the band with up to r rows above and below), `out` receives
// rows outTop .. outBottom - 1; the picture is width x height.
struct Band {
    const std::uint8_t* in;
    std::ptrdiff_t inRowBytes;
    int inTop;
    int inRows;
    std::uint8_t* out;
    std::ptrdiff_t outRowBytes;
    int outTop;
    int outBottom;
    int width;
    int height;
};

// The loops over whole rows, with their pointers declared apart, and kept
// out of line: the compiler then vectorises each of them without checking
// for overlap, where inlined it may fuse them and lose that knowledge.
template <int R>
[[gnu::noinline]] void blurAcross(const std::uint8_t* __restrict row, std::uint16_t* __restrict out, const std::int32_t* __restrict w,
                int r, int from, int to) {
    if constexpr (R > 0) r = R;
    for (int i = from; i < to; ++i) {
        std::int32_t sum = 0;
        for (int k = -r; k <= r; ++k) sum += w[k + r] * row[i + 3 * k];
        out[i] = std::uint16_t((sum + 8) >> 4);
    }
}

[[gnu::noinline]] inline void startSums(std::int32_t* __restrict sum, const std::uint16_t* __restrict tap, std::int32_t weight, int n) {
    for (int x = 0; x < n; ++x) sum[x] = weight * tap[x];
}

[[gnu::noinline]] inline void addToSums(std::int32_t* __restrict sum, const std::uint16_t* __restrict tap, std::int32_t weight, int n) {
    for (int x = 0; x < n; ++x) sum[x] += weight * tap[x];
}

[[gnu::noinline]] inline void storeSums(const std::int32_t* __restrict sum, std::uint8_t* __restrict dst, int n) {
    for (int x = 0; x < n; ++x) dst[x] = std::uint8_t(std::min(255, (sum[x] + (1 << 19)) >> 20));
}

// The input rows blurred across into tmp (8.8 fixed point, inRows x width x 3
// values), then down into the output rows. Radius is R, or radius when R is
// 0: the common small radii get loops of a known length, which the compiler
// unrolls and vectorises; the sums are integers, so every version gives
// the same bytes. The band and the weights are copied in first: stores
// through the byte pointers could otherwise change them, as far as the
// compiler knows, and every step would read them again.
template <int R>
void blurBandWithRadius(const Band band, const std::int32_t* weights, int radius, std::uint16_t* tmp) {
    const int r = R > 0 ? R : radius;
    std::int32_t fixedWeights[2 * R + 1];
    const std::int32_t* w = weights;
    if constexpr (R > 0) {
        std::copy(weights, weights + 2 * R + 1, fixedWeights);
        w = fixedWeights;
    }
    const std::uint8_t* const in = band.in;
    std::uint8_t* const outRows = band.out;
    const std::ptrdiff_t inRowBytes = band.inRowBytes, outRowBytes = band.outRowBytes;
    const int width = band.width, height = band.height, inTop = band.inTop;
    // Across: the columns whose taps all lie inside the row run as one
    // loop over bytes (channel c of pixel x is byte 3 x + c, its taps 3
    // bytes apart); the columns within r of either end repeat the edge.
    const auto clampedColumn = [&](const std::uint8_t* row, std::uint16_t* out, int x) {
        std::int32_t sum[3] = {0, 0, 0};
        for (int k = -r; k <= r; ++k) {
            const int sx = std::clamp(x + k, 0, width - 1);
            for (int c = 0; c < 3; ++c) sum[c] += w[k + r] * row[sx * 3 + c];
        }
        for (int c = 0; c < 3; ++c) out[x * 3 + c] = std::uint16_t((sum[c] + 8) >> 4);
    };
    for (int y = 0; y < band.inRows; ++y) {
        const std::uint8_t* row = in + std::ptrdiff_t(y) * inRowBytes;
        std::uint16_t* out = tmp + std::size_t(y) * width * 3;
        for (int x = 0; x < std::min(r, width); ++x) clampedColumn(row, out, x);
        blurAcross<R>(row, out, w, r, 3 * r, 3 * (width - r));
        for (int x = std::max(r, width - r); x < width; ++x) clampedColumn(row, out, x);
    }
    // Down: each output row sums the rows its taps reach (edges repeated)
    // one after the other into whole-row accumulators.
    const int rowValues = width * 3;
    std::vector<std::int32_t> sums(static_cast<std::size_t>(rowValues));
    const auto tapRow = [&](int y, int k) {
        return tmp + std::size_t(std::clamp(y + k, 0, height - 1) - inTop) * std::size_t(rowValues);
    };
    for (int y = band.outTop; y < band.outBottom; ++y) {
        startSums(sums.data(), tapRow(y, -r), w[0], rowValues);
        for (int k = -r + 1; k <= r; ++k) addToSums(sums.data(), tapRow(y, k), w[k + r], rowValues);
        storeSums(sums.data(), outRows + std::ptrdiff_t(y - band.outTop) * outRowBytes, rowValues);
    }
}

inline void blurBand(const Band& b, const std::vector<std::int32_t>& w, int radius, std::uint16_t* tmp) {
    switch (radius) {
        case 1: return blurBandWithRadius<1>(b, w.data(), radius, tmp);
        case 2: return blurBandWithRadius<2>(b, w.data(), radius, tmp);
        case 3: return blurBandWithRadius<3>(b, w.data(), radius, tmp);
        case 4: return blurBandWithRadius<4>(b, w.data(), radius, tmp);
        case 5: return blurBandWithRadius<5>(b, w.data(), radius, tmp);
        case 6: return blurBandWithRadius<6>(b, w.data(), radius, tmp);
        case 7: return blurBandWithRadius<7>(b, w.data(), radius, tmp);
        case 8: return blurBandWithRadius<8>(b, w.data(), radius, tmp);
        default: return blurBandWithRadius<0>(b, w.data(), radius, tmp);
    }
}

}  // namespace filters::gaussian
