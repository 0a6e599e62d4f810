// Picture file codecs against the yardsticks on a 4000 x 3000 photograph:
// GIF decoding against giflib's DGifSlurp, LZW encoding of an indexed picture
// against giflib's EGifPutLine, the whole GIF save against ImageMagick's
// `convert photo.ppm photo.gif` (a separate process, timed by the clock), and
// JPEG decoding and encoding against libjpeg-turbo called directly (the
// difference is our overhead).
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

// OpenCV's headers mix enumeration types in arithmetic, which C++20 warns about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-enum-enum-conversion"
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#pragma GCC diagnostic pop

#include "formats/color_reduction.h"
#include "formats/gif_image.h"
#include "formats/gif_lzw.h"
#include "formats/jpeg_codec.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace {

using namespace mugwarp;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

std::string scratchDir() {
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "mugwarp-formats-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return dir;
}

// The sample portrait upscaled to 4000 x 3000 with bicubic interpolation: a
// photograph's worth of distinct colours and smooth gradients.
const PixelSurface& photo() {
    static const PixelSurface surface = [] {
        const PlatformBitmap sample = loadPicture(std::string(MUGWARP_SOURCE_DIR) + "/data/sample/portrait.jpg");
        cv::Mat small(sample.height(), sample.width(), CV_8UC4);
        for (int y = 0; y < sample.height(); ++y)
            std::memcpy(small.ptr(y), sample.scanLine(y), std::size_t(sample.width()) * 4);
        cv::Mat large;
        cv::resize(small, large, cv::Size(kWidth, kHeight), 0, 0, cv::INTER_CUBIC);
        PixelSurface s(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y) {
            const std::uint8_t* src = large.ptr(y);
            Argb* dst = s.row(y);
            for (int x = 0; x < kWidth; ++x, src += 4) dst[x] = makeArgb(255, src[2], src[1], src[0]);
        }
        return s;
    }();
    return surface;
}

const PlatformBitmap& indexedPhoto() {
    static const PlatformBitmap bitmap = reduceColors(photo().toPlatformBitmap());
    return bitmap;
}

const std::vector<std::uint8_t>& photoGif() {
    static const std::vector<std::uint8_t> bytes = [] {
        GifImage gif;
        gif.addFrameFromBitmap(indexedPhoto());
        return gif.store();
    }();
    return bytes;
}

const std::vector<std::uint8_t>& photoJpeg() {
    static const std::vector<std::uint8_t> bytes = encodeJpeg(photo());
    return bytes;
}

// ---- GIF decode ----

void BM_GifDecode_Ours(benchmark::State& state) {
    const auto& bytes = photoGif();
    for (auto _ : state) {
        GifImage gif;
        gif.load(bytes);
        benchmark::DoNotOptimize(gif.frameBitmap(0).data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_GifDecode_Ours)->Unit(benchmark::kMillisecond);

struct MemoryReader {
    const std::vector<std::uint8_t>* bytes;
    std::size_t pos;
};

int readFromMemory(GifFileType* file, GifByteType* out, int n) {
    auto* r = static_cast<MemoryReader*>(file->UserData);
    const std::size_t take = std::min<std::size_t>(std::size_t(n), r->bytes->size() - r->pos);
    std::memcpy(out, r->bytes->data() + r->pos, take);
    r->pos += take;
    return int(take);
}

void BM_GifDecode_Giflib(benchmark::State& state) {
    const auto& bytes = photoGif();
    for (auto _ : state) {
        MemoryReader reader{&bytes, 0};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, readFromMemory, &error);
        if (!file || DGifSlurp(file) != GIF_OK) state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(file->SavedImages[0].RasterBits);
        DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_GifDecode_Giflib)->Unit(benchmark::kMillisecond);

// ---- LZW encode of the indexed picture ----

void BM_LzwEncode_Ours(benchmark::State& state) {
    const PlatformBitmap& indexed = indexedPhoto();
    for (auto _ : state) benchmark::DoNotOptimize(encodeLzw(indexed, false).data());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_LzwEncode_Ours)->Unit(benchmark::kMillisecond);

int writeToMemory(GifFileType* file, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(file->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// giflib's encoder over the same indexed picture, line by line into memory.
void encodeWithGiflib(const PlatformBitmap& indexed, const std::vector<GifColorType>& colours,
                      std::vector<GifPixelType>& line) {
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(kWidth) * kHeight / 2);
    int error = 0;
    GifFileType* file = EGifOpen(&out, writeToMemory, &error);
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifPutScreenDesc(file, kWidth, kHeight, 8, 0, map);
    EGifPutImageDesc(file, 0, 0, kWidth, kHeight, false, nullptr);
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(line.data(), indexed.scanLine(y), kWidth);
        EGifPutLine(file, line.data(), kWidth);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    benchmark::DoNotOptimize(out.data());
}

std::vector<GifColorType> giflibColours(const PlatformBitmap& indexed) {
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[std::size_t(i)] = {indexed.palette()[std::size_t(i)].red, indexed.palette()[std::size_t(i)].green,
                                   indexed.palette()[std::size_t(i)].blue};
    return colours;
}

void BM_LzwEncode_Giflib(benchmark::State& state) {
    const PlatformBitmap& indexed = indexedPhoto();
    const std::vector<GifColorType> colours = giflibColours(indexed);
    std::vector<GifPixelType> line(kWidth);
    for (auto _ : state) encodeWithGiflib(indexed, colours, line);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_LzwEncode_Giflib)->Unit(benchmark::kMillisecond);

// The two encoders in turns, one encode of each per iteration, and the median
// of their ratio: rows timed one after the other can meet this machine at
// different speeds.
void BM_LzwEncodeAgainstGiflib(benchmark::State& state) {
    const PlatformBitmap& indexed = indexedPhoto();
    const std::vector<GifColorType> colours = giflibColours(indexed);
    std::vector<GifPixelType> line(kWidth);
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(encodeLzw(indexed, false).data());
        const auto middle = std::chrono::steady_clock::now();
        encodeWithGiflib(indexed, colours, line);
        const auto end = std::chrono::steady_clock::now();
        ratios.push_back(std::chrono::duration<double>(middle - start).count() /
                         std::chrono::duration<double>(end - middle).count());
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_LzwEncodeAgainstGiflib)->Iterations(15)->Unit(benchmark::kMillisecond);

// ---- Whole GIF save: colour reduction and encoding ----

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_GifSave_Ours(benchmark::State& state) {
    const PixelSurface& picture = photo();
    const std::string target = scratchDir() + "/ours.gif";
    for (auto _ : state) benchmark::DoNotOptimize(saveGifPicture(picture, target, kDefaultKeyColor).data());
}
BENCHMARK(BM_GifSave_Ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_GifSave_ImageMagick(benchmark::State& state) {
    const std::string ppm = scratchDir() + "/photo.ppm";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        std::vector<char> row(std::size_t(kWidth) * 3);
        for (int y = 0; y < kHeight; ++y) {
            const Argb* src = photo().row(y);
            for (int x = 0; x < kWidth; ++x) {
                row[std::size_t(3 * x)] = char(src[x] >> 16);
                row[std::size_t(3 * x + 1)] = char(src[x] >> 8);
                row[std::size_t(3 * x + 2)] = char(src[x]);
            }
            out.write(row.data(), std::streamsize(row.size()));
        }
    }
    const std::string command = "/usr/bin/convert " + ppm + " " + scratchDir() + "/im.gif";
    const double cpuBefore = childCpuSeconds();
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) state.SkipWithError("ImageMagick failed");
    }
    // Its processor time, which a busy machine inflates less than the clock:
    // set it beside our own "CPU" column.
    state.counters["child_cpu_ms"] = (childCpuSeconds() - cpuBefore) * 1e3 / double(state.iterations());
}
BENCHMARK(BM_GifSave_ImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// ---- JPEG ----

void BM_JpegDecode_Ours(benchmark::State& state) {
    const auto& bytes = photoJpeg();
    for (auto _ : state) benchmark::DoNotOptimize(decodeJpeg(bytes).bitmap.data());
}
BENCHMARK(BM_JpegDecode_Ours)->Unit(benchmark::kMillisecond);

void BM_JpegDecode_Libjpeg(benchmark::State& state) {
    const auto& bytes = photoJpeg();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo);
        // A fresh picture each time, as a decoder hands one out.
        std::vector<std::uint8_t> pixels(std::size_t(cinfo.output_width) * cinfo.output_height * 4);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + std::size_t(cinfo.output_scanline) * cinfo.output_width * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_JpegDecode_Libjpeg)->Unit(benchmark::kMillisecond);

void BM_JpegEncode_Ours(benchmark::State& state) {
    const PixelSurface& picture = photo();
    for (auto _ : state) benchmark::DoNotOptimize(encodeJpeg(picture).data());
}
BENCHMARK(BM_JpegEncode_Ours)->Unit(benchmark::kMillisecond);

void BM_JpegEncode_Libjpeg(benchmark::State& state) {
    std::vector<std::uint8_t> rgb(std::size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Argb p = photo().pixel(x, y);
            std::uint8_t* d = &rgb[(std::size_t(y) * kWidth + x) * 3];
            d[0] = std::uint8_t(p >> 16);
            d[1] = std::uint8_t(p >> 8);
            d[2] = std::uint8_t(p);
        }
    for (auto _ : state) {
        jpeg_compress_struct cinfo{};
        jpeg_error_mgr err{};
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = kWidth;
        cinfo.image_height = kHeight;
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, TRUE);
        cinfo.dct_method = JDCT_FLOAT;
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = rgb.data() + std::size_t(cinfo.next_scanline) * kWidth * 3;
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        std::vector<std::uint8_t> out(buffer, buffer + size);
        std::free(buffer);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_JpegEncode_Libjpeg)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Build the shared inputs before any timing starts.
    photo();
    indexedPhoto();
    photoGif();
    photoJpeg();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(scratchDir());
    return 0;
}
