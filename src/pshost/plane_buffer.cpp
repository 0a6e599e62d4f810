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

// Copies pixels of the picture into interleaved plane bytes.
void copyPlanes(const std::uint32_t* pixels, std::uint8_t* out, int count, int lo, int n) {
    if (lo == 0 && n == 3) {
        int x = packRgbRows(pixels, out, count);
        out += std::size_t(x) * 3;
        // Four pixels make three words: byte-swapped, a pixel reads R G B A.
        for (; x + 4 <= count; x += 4, out += 12) {
            const std::uint32_t a = __builtin_bswap32(pixels[x]) >> 8, b = __builtin_bswap32(pixels[x + 1]) >> 8;
            const std::uint32_t c = __builtin_bswap32(pixels[x + 2]) >> 8, d = __builtin_bswap32(pixels[x + 3]) >> 8;
            const std::uint32_t words[3] = {a | b << 24, b >> 8 | c << 16, c >> 16 | d << 8};
            std::memcpy(out, words, 12);
        }
        for (; x < count; ++x, out += 3) {
            const std::uint32_t c = pixels[x];
            out[0] = std::uint8_t(c >> 16);
            out[1] = std::uint8_t(c >> 8);
            out[2] = std::uint8_t(c);
        }
        return;
    }
    for (int x = 0; x < count; ++x) {
        for (int p = 0; p < n; ++p) *out++ = std::uint8_t(pixels[x] >> shiftOf(lo + p));
    }
}

}  // namespace

bool ByteBlock::resize(std::size_t size) {
    if (size > capacity_) {
        data_.reset();
        capacity_ = size_ = 0;
        try {
            data_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        } catch (const std::bad_alloc&) {
            return false;
        }
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

PlaneAnswer fillBuffer(const PlaneRequest& request, PlaneBuffer& buffer, const PixelsView& source,
                       std::size_t byteLimit) {
    const int n = planeCount(request);
    if (request.loPlane < 0 || n < 1 || request.hiPlane >= kPictureChannels) return {.error = abi::kParamErr};
    const PlaneRequest& held = buffer.request;
    if (!buffer.bytes.empty() && inside(request.rect, held.rect) && sameLayout(request, held)) {
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

    // What lies outside the picture reads as 0.
    const int r = stepOf(request.rate);
    const std::size_t rowBytes = std::size_t(n) * width;
    for (int y = 0; y < height; ++y) {
        const long long sy = (static_cast<long long>(request.rect.top) + y) * r;
        std::uint8_t* out = buffer.bytes.data() + y * rowBytes;
        if (sy < 0 || sy >= source.height) {
            std::memset(out, 0, rowBytes);
            continue;
        }
        const std::uint32_t* row = source.row(static_cast<int>(sy));
        if (r == 1) {
            // Columns of the picture within the request, copied as one run.
            const int x0 = std::clamp(-int(request.rect.left), 0, width);
            const int x1 = std::clamp(source.width - request.rect.left, x0, width);
            std::memset(out, 0, std::size_t(x0) * n);
            copyPlanes(row + request.rect.left + x0, out + x0 * n, x1 - x0, request.loPlane, n);
            std::memset(out + x1 * n, 0, std::size_t(width - x1) * n);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const long long sx = (static_cast<long long>(request.rect.left) + x) * r;
            if (sx < 0 || sx >= source.width) {
                std::memset(out + x * n, 0, n);
            } else {
                copyPlanes(row + sx, out + x * n, 1, request.loPlane, n);
            }
        }
    }
    return {buffer.bytes.data(), static_cast<std::int32_t>(rowBytes), n, 1};
}

void writeBack(const PlaneBuffer& buffer, const PixelsView& target, const PixelsView& unfiltered,
               const MaskView* blendMask) {
    const PlaneRequest& r = buffer.request;
    if (buffer.bytes.empty() || isEmpty(r.rect)) return;
    const int n = planeCount(r);
    const int width = r.rect.right - r.rect.left;
    const int left = std::max<int>(0, r.rect.left), right = std::min<int>(target.width, r.rect.right);
    const int top = std::max<int>(0, r.rect.top), bottom = std::min<int>(target.height, r.rect.bottom);
    if (right <= left || bottom <= top) return;

    std::uint32_t keep = 0xFFFFFFFFu;  // bits of the pixel the block does not hold
    for (int p = r.loPlane; p <= r.hiPlane; ++p) keep &= ~(0xFFu << shiftOf(p));
    const bool blend = blendMask && !blendMask->isEmpty();

    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* in =
            buffer.bytes.data() + (std::size_t(y - r.rect.top) * width + (left - r.rect.left)) * n;
        std::uint32_t* out = target.row(y);
        if (r.loPlane == 0 && n == 3) {
            int x = left + unpackRgbRows(in, out + left, right - left);
            in += std::size_t(x - left) * 3;
            // Three words hold four pixels: R G B R | G B R G | B R G B.
            for (; x + 4 <= right; x += 4, in += 12) {
                std::uint32_t w[3];
                std::memcpy(w, in, 12);
                const std::uint32_t p0 = w[0], p1 = w[0] >> 24 | w[1] << 8, p2 = w[1] >> 16 | w[2] << 16, p3 = w[2] >> 8;
                out[x] = (out[x] & keep) | (__builtin_bswap32(p0 << 8));
                out[x + 1] = (out[x + 1] & keep) | (__builtin_bswap32(p1 << 8));
                out[x + 2] = (out[x + 2] & keep) | (__builtin_bswap32(p2 << 8));
                out[x + 3] = (out[x + 3] & keep) | (__builtin_bswap32(p3 << 8));
            }
            for (; x < right; ++x, in += 3) {
                out[x] = (out[x] & keep) | (std::uint32_t(in[0]) << 16) | (std::uint32_t(in[1]) << 8) | in[2];
            }
        } else {
            for (int x = left; x < right; ++x) {
                std::uint32_t c = out[x] & keep;
                for (int p = 0; p < n; ++p) c |= std::uint32_t(*in++) << shiftOf(r.loPlane + p);
                out[x] = c;
            }
        }
        if (!blend || y >= blendMask->height || y >= unfiltered.height) continue;
        const std::uint8_t* m = blendMask->row(y);
        const std::uint32_t* original = unfiltered.row(y);
        const int end = std::min({right, blendMask->width, unfiltered.width});
        for (int x = left; x < end; ++x) {
            const int weight = 255 - m[x];  // share of the unfiltered pixel
            if (weight == 0) continue;
            std::uint32_t c = out[x] & keep;
            for (int p = r.loPlane; p <= r.hiPlane; ++p) {
                const int s = shiftOf(p);
                const int f = (out[x] >> s) & 0xFF;
                const int u = (original[x] >> s) & 0xFF;
                // f + (u - f) * w / 255, rounded to nearest
                const int t = f * 255 + (u - f) * weight;
                c |= std::uint32_t((t + 127) / 255) << s;
            }
            out[x] = c;
        }
    }
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
