#include "edit/project_coding.h"

#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "raster/cell_storage.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kBandRows = 256;
constexpr int kLevel = 1;  // the file is written while the user waits
constexpr std::uint32_t kMaxSide = 1u << 20;

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putU64(Bytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Runs job(i) for i in [0, count) on every core; the first exception thrown
// is thrown again once all have stopped.
void forEachBand(int count, const std::function<void(int)>& job) {
    const int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                job(i);
            } catch (...) {
                const std::lock_guard lock(failureMutex);
                if (!failure) failure = std::current_exception();
                next = count;
            }
        }
    };
    std::vector<std::jthread> helpers;
    for (int t = 1; t < std::min(threads, count); ++t) helpers.emplace_back(work);
    work();
    helpers.clear();
    if (failure) std::rethrow_exception(failure);
}

int bandCount(int height) { return (height + kBandRows - 1) / kBandRows; }

// Header, then each band's raw bytes packed as a zstd frame of its own.
Bytes packBands(Bytes header, int height, const std::function<Bytes(int y0, int y1)>& raw) {
    const int count = bandCount(height);
    std::vector<Bytes> frames(static_cast<std::size_t>(count));
    forEachBand(count, [&](int band) {
        const int y0 = band * kBandRows;
        const Bytes plain = raw(y0, std::min(height, y0 + kBandRows));
        Bytes& packed = frames[static_cast<std::size_t>(band)];
        packed.resize(ZSTD_compressBound(plain.size()));
        const std::size_t n = ZSTD_compress(packed.data(), packed.size(), plain.data(), plain.size(), kLevel);
        if (ZSTD_isError(n)) throw Error(std::string("Cannot pack the project: ") + ZSTD_getErrorName(n));
        packed.resize(n);
    });
    Bytes out = std::move(header);
    putU32(out, static_cast<std::uint32_t>(count));
    std::size_t total = out.size() + 8 * frames.size();
    for (const Bytes& f : frames) total += f.size();
    out.reserve(total);
    for (const Bytes& f : frames) putU64(out, f.size());
    for (const Bytes& f : frames) out.insert(out.end(), f.begin(), f.end());
    return out;
}

// The frames that follow a band count, which must fit the height, and their
// sizes, which must add up to exactly the bytes left.
std::vector<std::span<const std::uint8_t>> readBands(PartFields& in, int height) {
    const std::uint32_t count = in.u32();
    if (count != static_cast<std::uint32_t>(bandCount(height))) throw MalformedPart{};
    std::vector<std::uint64_t> sizes(count);
    for (std::uint64_t& size : sizes) size = in.u64();
    std::vector<std::span<const std::uint8_t>> frames;
    for (std::uint64_t size : sizes) {
        if (size > in.remaining()) throw MalformedPart{};
        frames.push_back(in.take(static_cast<std::size_t>(size)));
    }
    if (in.remaining() != 0) throw MalformedPart{};
    return frames;
}

// A frame that says it holds between least and most bytes, and does.
Bytes unpackFrame(std::span<const std::uint8_t> frame, std::size_t least, std::size_t most) {
    const unsigned long long size = ZSTD_getFrameContentSize(frame.data(), frame.size());
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN || size < least || size > most)
        throw MalformedPart{};
    Bytes plain = allocateZeroed<std::uint8_t>(static_cast<std::size_t>(size), "Not enough memory to open the project");
    const std::size_t got = ZSTD_decompress(plain.data(), plain.size(), frame.data(), frame.size());
    if (ZSTD_isError(got) || got != plain.size()) throw MalformedPart{};
    return plain;
}

void checkSize(std::uint32_t w, std::uint32_t h) {
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide || std::int64_t{w} * std::int64_t{h} > kMaxCells)
        throw MalformedPart{};
}

inline int median(int a, int b, int c) {
    const int high = a > b ? a : b;
    const int low = a > b ? b : a;
    if (c >= high) return low;
    if (c <= low) return high;
    return a + b - c;
}

// Red and blue as their differences from green: the channels of a photograph
// move together, so what is left of them is small.
inline Argb decorrelate(Argb p) {
    const Argb g = p >> 8 & 255;
    return (p & 0xFF00FF00u) | Argb(std::uint8_t((p >> 16) - g)) << 16 | Argb(std::uint8_t(p - g));
}
inline Argb correlate(Argb t) {
    const Argb g = t >> 8 & 255;
    return (t & 0xFF00FF00u) | Argb(std::uint8_t((t >> 16) + g)) << 16 | Argb(std::uint8_t(t + g));
}

// The four channel predictions of pixel x of row from its neighbours (the
// row above is null on a band's first row), in decorrelated channels.
inline Argb predict(const Argb* row, const Argb* above, int x) {
    const Argb a = x > 0 ? decorrelate(row[x - 1]) : 0;
    const Argb b = above ? decorrelate(above[x]) : 0;
    const Argb c = above && x > 0 ? decorrelate(above[x - 1]) : 0;
    Argb p = 0;
    for (int k = 0; k < 32; k += 8)
        p |= Argb(median(int(a >> k & 255), int(b >> k & 255), int(c >> k & 255)) & 255) << k;
    return p;
}

inline Argb differenceBytes(Argb value, Argb prediction) {
    Argb d = 0;
    for (int k = 0; k < 32; k += 8) d |= Argb(std::uint8_t((value >> k) - (prediction >> k))) << k;
    return d;
}

inline Argb sumBytes(Argb residual, Argb prediction) {
    Argb s = 0;
    for (int k = 0; k < 32; k += 8) s |= Argb(std::uint8_t((residual >> k) + (prediction >> k))) << k;
    return s;
}

}  // namespace

std::vector<std::uint8_t> encodeImage(const PixelSurface& picture, const PixelSurface* base) {
    const int w = picture.width(), h = picture.height();
    if (w < 1 || h < 1) throw Error("Cannot keep an empty picture in a project");
    if (base && (base->width() != w || base->height() != h)) throw Error("Cannot keep pictures of two sizes as one");
    Bytes header;
    putU32(header, static_cast<std::uint32_t>(w));
    putU32(header, static_cast<std::uint32_t>(h));
    putU32(header, picture.outerColor());
    return packBands(std::move(header), h, [&](int y0, int y1) {
        const std::size_t cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(y1 - y0);
        std::size_t coded = cells;
        Bytes plain;
        if (base) {
            plain.resize(cells);
            coded = 0;
            for (int y = y0; y < y1; ++y) {
                const Argb* row = picture.row(y);
                const Argb* other = base->row(y);
                std::uint8_t* flags = plain.data() + static_cast<std::size_t>(y - y0) * w;
                for (int x = 0; x < w; ++x) coded += (flags[x] = row[x] != other[x]);
            }
        }
        const std::size_t planes = plain.size();
        plain.resize(planes + 4 * coded);
        std::uint8_t* out = plain.data() + planes;
        std::size_t i = 0;
        for (int y = y0; y < y1; ++y) {
            const Argb* row = picture.row(y);
            const Argb* above = y > y0 ? picture.row(y - 1) : nullptr;
            const std::uint8_t* flags = base ? plain.data() + static_cast<std::size_t>(y - y0) * w : nullptr;
            for (int x = 0; x < w; ++x) {
                if (flags && !flags[x]) continue;
                const Argb d = differenceBytes(decorrelate(row[x]), predict(row, above, x));
                for (int k = 0; k < 4; ++k) out[k * coded + i] = std::uint8_t(d >> (8 * k));
                ++i;
            }
        }
        return plain;
    });
}

PixelSurface decodeImage(std::span<const std::uint8_t> body, const PixelSurface* base) {
    PartFields in(body);
    const std::uint32_t w = in.u32(), h = in.u32();
    checkSize(w, h);
    if (base && (std::int64_t{w} != base->width() || std::int64_t{h} != base->height())) throw MalformedPart{};
    const Argb outer = in.u32();
    const auto frames = readBands(in, static_cast<int>(h));
    PixelSurface picture = base ? *base : PixelSurface(static_cast<int>(w), static_cast<int>(h));
    picture.setOuterColor(outer);
    forEachBand(static_cast<int>(frames.size()), [&](int band) {
        const int y0 = band * kBandRows;
        const int y1 = std::min(static_cast<int>(h), y0 + kBandRows);
        const std::size_t cells = std::size_t{w} * static_cast<std::size_t>(y1 - y0);
        const Bytes plain = base ? unpackFrame(frames[band], cells, cells * 5) : unpackFrame(frames[band], cells * 4, cells * 4);
        std::size_t coded = cells;
        const std::uint8_t* flags = nullptr;
        if (base) {
            flags = plain.data();
            coded = 0;
            for (std::size_t i = 0; i < cells; ++i) {
                if (flags[i] > 1) throw MalformedPart{};
                coded += flags[i];
            }
            if (plain.size() != cells + 4 * coded) throw MalformedPart{};
        }
        const std::uint8_t* residuals = plain.data() + (base ? cells : 0);
        std::size_t i = 0;
        for (int y = y0; y < y1; ++y) {
            Argb* row = picture.row(y);
            const Argb* above = y > y0 ? picture.row(y - 1) : nullptr;
            const std::uint8_t* rowFlags = flags ? flags + static_cast<std::size_t>(y - y0) * w : nullptr;
            for (std::uint32_t x = 0; x < w; ++x) {
                if (rowFlags && !rowFlags[x]) continue;
                Argb d = 0;
                for (int k = 0; k < 4; ++k) d |= Argb(residuals[k * coded + i]) << (8 * k);
                row[x] = correlate(sumBytes(d, predict(row, above, static_cast<int>(x))));
                ++i;
            }
        }
    });
    return picture;
}

std::vector<std::uint8_t> encodeDisplacement(const DisplacementMap& map) {
    const int w = map.width(), h = map.height();
    if (w < 1 || h < 1) throw Error("Cannot keep an empty deformation in a project");
    Bytes header;
    putU32(header, static_cast<std::uint32_t>(w));
    putU32(header, static_cast<std::uint32_t>(h));
    return packBands(std::move(header), h, [&](int y0, int y1) {
        const std::size_t cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(y1 - y0);
        Bytes plain(cells * 8);
        std::size_t i = 0;
        for (int y = y0; y < y1; ++y) {
            const FixedVector* row = map.row(y);
            FixedVector left{};
            for (int x = 0; x < w; ++x, ++i) {
                const std::uint32_t dx = std::uint32_t(row[x].x) - std::uint32_t(left.x);
                const std::uint32_t dy = std::uint32_t(row[x].y) - std::uint32_t(left.y);
                for (int k = 0; k < 4; ++k) {
                    plain[k * cells + i] = std::uint8_t(dx >> (8 * k));
                    plain[(4 + k) * cells + i] = std::uint8_t(dy >> (8 * k));
                }
                left = row[x];
            }
        }
        return plain;
    });
}

DisplacementMap decodeDisplacement(std::span<const std::uint8_t> body, int width, int height) {
    PartFields in(body);
    const std::uint32_t w = in.u32(), h = in.u32();
    checkSize(w, h);
    if (std::int64_t{w} != width || std::int64_t{h} != height) throw MalformedPart{};
    const auto frames = readBands(in, height);
    DisplacementMap map(width, height);
    forEachBand(static_cast<int>(frames.size()), [&](int band) {
        const int y0 = band * kBandRows;
        const int y1 = std::min(height, y0 + kBandRows);
        const std::size_t cells = std::size_t{w} * static_cast<std::size_t>(y1 - y0);
        const Bytes plain = unpackFrame(frames[band], cells * 8, cells * 8);
        std::size_t i = 0;
        for (int y = y0; y < y1; ++y) {
            FixedVector* row = map.row(y);
            std::uint32_t x0 = 0, y0v = 0;
            for (int x = 0; x < width; ++x, ++i) {
                std::uint32_t dx = 0, dy = 0;
                for (int k = 0; k < 4; ++k) {
                    dx |= std::uint32_t(plain[k * cells + i]) << (8 * k);
                    dy |= std::uint32_t(plain[(4 + k) * cells + i]) << (8 * k);
                }
                x0 += dx;
                y0v += dy;
                row[x] = {static_cast<Fixed>(x0), static_cast<Fixed>(y0v)};
            }
        }
    });
    return map;
}

std::vector<std::uint8_t> encodeByteMap(const ByteMap& map) {
    const int w = map.width(), h = map.height();
    if (w < 1 || h < 1) throw Error("Cannot keep an empty mask in a project");
    Bytes header;
    putU32(header, static_cast<std::uint32_t>(w));
    putU32(header, static_cast<std::uint32_t>(h));
    return packBands(std::move(header), h, [&](int y0, int y1) {
        Bytes plain(static_cast<std::size_t>(w) * static_cast<std::size_t>(y1 - y0));
        std::uint8_t* out = plain.data();
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* row = map.row(y);
            std::uint8_t left = 0;
            for (int x = 0; x < w; ++x) {
                *out++ = std::uint8_t(row[x] - left);
                left = row[x];
            }
        }
        return plain;
    });
}

ByteMap decodeByteMap(std::span<const std::uint8_t> body, int width, int height) {
    PartFields in(body);
    const std::uint32_t w = in.u32(), h = in.u32();
    checkSize(w, h);
    if (std::int64_t{w} != width || std::int64_t{h} != height) throw MalformedPart{};
    const auto frames = readBands(in, height);
    ByteMap map(width, height);
    forEachBand(static_cast<int>(frames.size()), [&](int band) {
        const int y0 = band * kBandRows;
        const int y1 = std::min(height, y0 + kBandRows);
        const std::size_t cells = std::size_t{w} * static_cast<std::size_t>(y1 - y0);
        const Bytes plain = unpackFrame(frames[band], cells, cells);
        const std::uint8_t* in8 = plain.data();
        for (int y = y0; y < y1; ++y) {
            std::uint8_t* row = map.row(y);
            std::uint8_t left = 0;
            for (int x = 0; x < width; ++x) row[x] = left = std::uint8_t(left + *in8++);
        }
    });
    return map;
}

std::span<const std::uint8_t> PartFields::take(std::size_t n) {
    if (n > remaining()) throw MalformedPart{};
    const auto part = bytes_.subspan(at_, n);
    at_ += n;
    return part;
}

std::uint32_t PartFields::u32() {
    const auto b = take(4);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

std::uint64_t PartFields::u64() {
    const std::uint64_t low = u32();
    return low | std::uint64_t(u32()) << 32;
}

float PartFields::f32() {
    const std::uint32_t u = u32();
    float v;
    std::memcpy(&v, &u, 4);
    if (!std::isfinite(v)) throw MalformedPart{};
    return v;
}

std::string PartFields::string(std::size_t maxBytes) {
    const std::uint32_t n = u32();
    if (n > maxBytes) throw MalformedPart{};
    const auto b = take(n);
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

}  // namespace mugwarp
