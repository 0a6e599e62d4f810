#include "pshost/plane_buffer.h"
#include "pshost/rgb_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace mugwarp {

namespace {

constexpr int kPictureChannels = 3;

// Bit position of plane p (0 red, 1 green, 2 blue) in a 0xAARRGGBB pixel.
constexpr int shiftOf(int plane) { return 16 - 8 * plane; }

int stepOf(abi::Fixed rate) { return std::max(1, rate >> 16); }

bool sameLayout(const PlaneRequest& a, const PlaneRequest& b) {
    return a.rate == b.rate && a.loPlane == b.loPlane && a.hiPlane == b.hiPlane && a.preDummy == b.preDummy &&
           a.postDummy == b.postDummy;
}

bool inside(const abi::Rect16& inner, const abi::Rect16& outer) {
    return inner.top >= outer.top && inner.left >= outer.left && inner.bottom <= outer.bottom &&
           inner.right <= outer.right;
}

// Blocks this large do not stay in the cache: their bytes are written
// around it (see rgb_rows.h).
constexpr std::size_t kStreamBytes = std::size_t(16) << 20;

// Copies pixels of the picture into interleaved plane bytes.
void copyPlanes(const std::uint32_t* pixels, std::uint8_t* out, int count, int lo, int n, AlphaSeen& seen,
                bool stream) {
    if (lo == 0 && n == 3) return packRgbRow(pixels, out, count, seen, stream);
    for (int x = 0; x < count; ++x) {
        for (int p = 0; p < n; ++p) *out++ = std::uint8_t(pixels[x] >> shiftOf(lo + p));
    }
}

// Writes interleaved plane bytes into pixels; keep holds the bits of each
// pixel that the planes do not.
void putPlanes(const std::uint8_t* in, std::uint32_t* pixels, int count, int lo, int n, std::uint32_t keep) {
    if (lo == 0 && n == 3) return unpackRgbRow(in, pixels, count);
    for (int x = 0; x < count; ++x) {
        std::uint32_t c = pixels[x] & keep;
        for (int p = 0; p < n; ++p) c |= std::uint32_t(*in++) << shiftOf(lo + p);
        pixels[x] = c;
    }
}

// pixels := filtered + (original - filtered) * (255 - m) / 255 in the planes
// outside keep, rounded to nearest: m = 255 keeps the filtered value.
void blendRow(std::uint32_t* pixels, const std::uint32_t* original, const std::uint8_t* mask, int count,
              std::uint32_t keep) {
    for (int x = 0; x < count; ++x) {
        const int weight = 255 - mask[x];  // share of the original pixel
        if (weight == 0) continue;
        std::uint32_t c = pixels[x] & keep;
        for (int s = 0; s <= 16; s += 8) {
            if (keep & (0xFFu << s)) continue;
            const int f = (pixels[x] >> s) & 0xFF;
            const int u = (original[x] >> s) & 0xFF;
            const int t = f * 255 + (u - f) * weight;
            c |= std::uint32_t((t + 127) / 255) << s;
        }
        pixels[x] = c;
    }
}

}  // namespace

bool ByteBlock::resize(std::size_t size) {
    if (size > capacity_) {
        data_.reset();
        capacity_ = size_ = 0;
        data_ = allocateLargeArray<std::uint8_t>(size);
        if (!data_) return false;
        capacity_ = size;
    }
    size_ = size;
    return true;
}

void ByteBlock::release() {
    data_.reset();
    size_ = capacity_ = 0;
}

bool isEmpty(const abi::Rect16& r) { return r.bottom <= r.top || r.right <= r.left; }

int planeCount(const PlaneRequest& r) { return r.hiPlane - r.loPlane + 1; }

bool holds(const PlaneBuffer& buffer, const PlaneRequest& request) {
    return !buffer.bytes.empty() && inside(request.rect, buffer.request.rect) && sameLayout(request, buffer.request);
}

PlaneAnswer fillBuffer(const PlaneRequest& request, PlaneBuffer& buffer, const OriginalPixels& source,
                       std::size_t byteLimit, HalfWorker* halves) {
    const int n = planeCount(request);
    if (request.loPlane < 0 || n < 1 || request.hiPlane >= kPictureChannels) return {.error = abi::kParamErr};
    if (holds(buffer, request)) {
        const PlaneRequest& held = buffer.request;
        const int heldWidth = held.rect.right - held.rect.left;
        const std::size_t offset =
            (std::size_t(request.rect.top - held.rect.top) * heldWidth + (request.rect.left - held.rect.left)) * n;
        return {buffer.bytes.data() + offset, n * heldWidth, n, 1};
    }

    const int width = request.rect.right - request.rect.left;
    const int height = request.rect.bottom - request.rect.top;
    const std::size_t size = std::size_t(n) * width * height;
    if (size > byteLimit) return {.error = abi::kMemFullErr};
    if (!buffer.bytes.resize(size)) {
        buffer.release();
        return {.error = abi::kMemFullErr};
    }
    buffer.request = request;
    buffer.alpha = {};
    const bool stream = size >= kStreamBytes;

    // What lies outside the picture reads as 0.
    const int r = stepOf(request.rate);
    const std::size_t rowBytes = std::size_t(n) * width;
    AlphaSeen seen[2];
    const auto fillRows = [&](int half, int from, int to) {
        for (int y = from; y < to; ++y) {
            const long long sy = (static_cast<long long>(request.rect.top) + y) * r;
            std::uint8_t* out = buffer.bytes.data() + y * rowBytes;
            if (sy < 0 || sy >= source.height()) {
                std::memset(out, 0, rowBytes);
                continue;
            }
            if (r == 1) {
                // Columns of the picture within the request, copied run by run.
                const int x0 = std::clamp(-int(request.rect.left), 0, width);
                const int x1 = std::clamp(source.width() - request.rect.left, x0, width);
                std::memset(out, 0, std::size_t(x0) * n);
                if (x1 > x0) {
                    source.forEachRun(int(sy), request.rect.left + x0, request.rect.left + x1,
                                      [&](const std::uint32_t* pixels, int x, int count) {
                                          copyPlanes(pixels, out + std::size_t(x - request.rect.left) * n, count,
                                                     request.loPlane, n, seen[half], stream);
                                      });
                }
                std::memset(out + x1 * n, 0, std::size_t(width - x1) * n);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const long long sx = (static_cast<long long>(request.rect.left) + x) * r;
                if (sx < 0 || sx >= source.width()) {
                    std::memset(out + x * n, 0, n);
                } else {
                    const std::uint32_t pixel = source.pixel(int(sx), int(sy));
                    copyPlanes(&pixel, out + x * n, 1, request.loPlane, n, seen[half], false);
                }
            }
        }
        if (stream) endStreaming();
    };
    inHalves(stream ? halves : nullptr, 0, height, fillRows);
    buffer.alpha = {seen[0].all & seen[1].all, seen[0].any | seen[1].any};
    return {buffer.bytes.data(), static_cast<std::int32_t>(rowBytes), n, 1};
}

void writeBack(const PlaneBuffer& buffer, const OriginalPixels& picture, const MaskView* blendMask,
               HalfWorker* halves) {
    const PlaneRequest& r = buffer.request;
    if (buffer.bytes.empty() || isEmpty(r.rect)) return;
    const int n = planeCount(r);
    const int width = r.rect.right - r.rect.left;
    const int left = std::max<int>(0, r.rect.left), right = std::min<int>(picture.width(), r.rect.right);
    const int top = std::max<int>(0, r.rect.top), bottom = std::min<int>(picture.height(), r.rect.bottom);
    if (right <= left || bottom <= top) return;

    std::uint32_t keep = 0xFFFFFFFFu;  // bits of the pixel the block does not hold
    for (int p = r.loPlane; p <= r.hiPlane; ++p) keep &= ~(0xFFu << shiftOf(p));
    const bool blend = blendMask && !blendMask->isEmpty();
    // Where nothing was copied aside the picture is its own original, so a
    // blended row keeps its originals here before being written.
    std::vector<std::uint32_t> original(blend ? std::size_t(right - left) : 0);
    // All three planes over pixels of one alpha replace the pixels whole.
    const bool whole = !blend && r.loPlane == 0 && n == 3 && buffer.alpha.uniform();
    const bool stream = whole && buffer.bytes.size() >= kStreamBytes;

    const auto writeRows = [&](int, int from, int to) {
        for (int y = from; y < to; ++y) {
            const std::uint8_t* in =
                buffer.bytes.data() + (std::size_t(y - r.rect.top) * width + (left - r.rect.left)) * n;
            std::uint32_t* out = picture.picture().row(y) + left;
            const bool blendRowHere = blend && y < blendMask->height && left < blendMask->width;
            if (blendRowHere) {
                picture.forEachRun(y, left, right, [&](const std::uint32_t* pixels, int x, int count) {
                    std::memcpy(original.data() + (x - left), pixels, std::size_t(count) * sizeof(std::uint32_t));
                });
            }
            if (whole) {
                storeRgbRow(in, out, right - left, buffer.alpha.alpha(), stream);
            } else {
                putPlanes(in, out, right - left, r.loPlane, n, keep);
            }
            if (blendRowHere) {
                blendRow(out, original.data(), blendMask->row(y) + left, std::min(right, blendMask->width) - left,
                         keep);
            }
        }
        if (stream) endStreaming();
    };
    // Only whole streamed rows are shared out: a blend's row of originals is one.
    inHalves(stream ? halves : nullptr, top, bottom, writeRows);
}

bool fillMaskBuffer(const abi::Rect16& rect, abi::Fixed rate, const MaskView& mask, std::vector<std::uint8_t>& out,
                    std::size_t byteLimit) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const std::size_t size = std::size_t(width) * height;
    if (size > byteLimit) return false;
    try {
        out.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int r = stepOf(rate);
    for (int y = 0; y < height; ++y) {
        const long long sy = (static_cast<long long>(rect.top) + y) * r;
        if (sy < 0 || sy >= mask.height) continue;
        const std::uint8_t* row = mask.row(static_cast<int>(sy));
        for (int x = 0; x < width; ++x) {
            const long long sx = (static_cast<long long>(rect.left) + x) * r;
            if (sx >= 0 && sx < mask.width) out[std::size_t(y) * width + x] = row[sx];
        }
    }
    return true;
}

}  // namespace mugwarp
