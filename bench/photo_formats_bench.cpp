// Opening a 24-megapixel photo (6000 x 4000) in the newer formats, each
// against its library driven directly, the way its own tools decode (the
// difference is our overhead): PNG against a plain libpng row loop, WebP
// against WebPDecodeBGRAInto (what dwebp does before writing), HEIC against
// libheif's decode to interleaved RGBA (what heif-convert does before
// writing). And a phone JPEG (orientation 6, a Display P3 profile) opened
// upright and in sRGB against the plain decode of the same file.
// Inputs are made once in /tmp by ImageMagick, cwebp and heif-enc.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <libheif/heif.h>
#include <png.h>
#include <webp/decode.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/file_io.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_file.h"
#include "support/exif_builder.h"

namespace {

using namespace mugwarp;

const std::string kDir = "/tmp/mugwarp-photo-formats-bench";

std::string input(const std::string& name) {
    static const bool made = [] {
        std::filesystem::create_directories(kDir);
        const std::string src = std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg";
        const std::string big = kDir + "/big.ppm";
        auto run = [](const std::string& c) {
            if (std::system(c.c_str()) != 0) std::abort();
        };
        if (!std::filesystem::exists(big)) run("/usr/bin/convert " + src + " -resize 6000x4000! " + big);
        if (!std::filesystem::exists(kDir + "/big.png")) run("/usr/bin/convert " + big + " " + kDir + "/big.png");
        if (!std::filesystem::exists(kDir + "/big.jpg")) run("/usr/bin/convert " + big + " -quality 90 " + kDir + "/big.jpg");
        if (!std::filesystem::exists(kDir + "/big.webp")) run("/usr/bin/cwebp -quiet -q 90 " + kDir + "/big.png -o " + kDir + "/big.webp");
        if (!std::filesystem::exists(kDir + "/big.heic")) run("/usr/bin/heif-enc -q 80 " + kDir + "/big.jpg -o " + kDir + "/big.heic >/dev/null");
        return true;
    }();
    (void)made;
    return kDir + "/" + name;
}

void PngOurs(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.png"));
    for (auto _ : state) benchmark::DoNotOptimize(decodePictureFile(bytes, "big.png"));
}

struct MemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
};

void PngLibpngLoop(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.png"));
    for (auto _ : state) {
        MemoryReader reader{&bytes};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_read_fn(png, &reader, [](png_structp p, png_bytep data, png_size_t n) {
            auto* r = static_cast<MemoryReader*>(png_get_io_ptr(p));
            std::memcpy(data, r->bytes->data() + r->at, n);
            r->at += n;
        });
        png_read_info(png, info);
        png_set_expand(png);
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
        std::vector<std::uint8_t> pixels(std::size_t(w) * h * 4);
        for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, pixels.data() + std::size_t(y) * w * 4, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void WebpOurs(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.webp"));
    for (auto _ : state) benchmark::DoNotOptimize(decodePictureFile(bytes, "big.webp"));
}

void WebpLibrary(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.webp"));
    int w = 0, h = 0;
    WebPGetInfo(bytes.data(), bytes.size(), &w, &h);
    for (auto _ : state) {
        std::vector<std::uint8_t> pixels(std::size_t(w) * h * 4);
        WebPDecodeBGRAInto(bytes.data(), bytes.size(), pixels.data(), pixels.size(), w * 4);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void HeicOurs(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.heic"));
    for (auto _ : state) benchmark::DoNotOptimize(decodePictureFile(bytes, "big.heic"));
}

void HeicLibrary(benchmark::State& state) {
    const auto bytes = readWholeFile(input("big.heic"));
    for (auto _ : state) {
        heif_context* ctx = heif_context_alloc();
        heif_context_read_from_memory_without_copy(ctx, bytes.data(), bytes.size(), nullptr);
        heif_image_handle* handle = nullptr;
        heif_context_get_primary_image_handle(ctx, &handle);
        heif_image* image = nullptr;
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
        benchmark::DoNotOptimize(image);
        heif_image_release(image);
        heif_image_handle_release(handle);
        heif_context_free(ctx);
    }
}

std::vector<std::uint8_t> displayP3() {
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    const double srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p3 = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p3, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(p3, bytes.data(), &size);
    cmsCloseProfile(p3);
    cmsFreeToneCurve(curve);
    return bytes;
}

// The same JPEG data with the phone's blocks in front: APP1 EXIF
// (orientation 6) and APP2 ICC (Display P3) right after SOI.
const std::vector<std::uint8_t>& phoneJpeg() {
    static const std::vector<std::uint8_t> bytes = [] {
        const auto plain = readWholeFile(input("big.jpg"));
        test::ExifFields f;
        f.make = "Phone";
        f.orientation = 6;
        const auto exif = test::exifBlock(f);
        const auto icc = displayP3();
        std::vector<std::uint8_t> out = {0xFF, 0xD8};
        auto segment = [&](std::uint8_t marker, const std::string& id, const std::vector<std::uint8_t>& body) {
            const std::size_t n = 2 + id.size() + body.size();
            out.insert(out.end(), {0xFF, marker, std::uint8_t(n >> 8), std::uint8_t(n)});
            out.insert(out.end(), id.begin(), id.end());
            out.insert(out.end(), body.begin(), body.end());
        };
        segment(0xE1, std::string("Exif\0\0", 6), exif);
        segment(0xE2, std::string("ICC_PROFILE\0\x01\x01", 14), icc);
        out.insert(out.end(), plain.begin() + 2, plain.end());
        return out;
    }();
    return bytes;
}

void JpegPlainDecode(benchmark::State& state) {
    const auto& bytes = phoneJpeg();
    for (auto _ : state) benchmark::DoNotOptimize(decodeJpeg(bytes));
}

// The phone JPEG without its profile: what turning upright alone costs.
void JpegOpenedUprightOnly(benchmark::State& state) {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b = phoneJpeg();
        b[b[4] * 256 + b[5] + 4 + 5] = 'X';  // "ICC_PROFILE" becomes "IXC_PROFILE": not read
        return b;
    }();
    for (auto _ : state) benchmark::DoNotOptimize(decodePictureFile(bytes, "phone.jpg"));
}

void JpegOpenedUprightSrgb(benchmark::State& state) {
    const auto& bytes = phoneJpeg();
    for (auto _ : state) benchmark::DoNotOptimize(decodePictureFile(bytes, "phone.jpg"));
}

// Compared cases run in turns so that a busy machine slows both alike.
BENCHMARK(PngLibpngLoop)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(PngOurs)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(WebpLibrary)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(WebpOurs)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(HeicLibrary)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(HeicOurs)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JpegPlainDecode)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JpegOpenedUprightOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(JpegOpenedUprightSrgb)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
