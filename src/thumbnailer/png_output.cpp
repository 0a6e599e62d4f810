#include "thumbnailer/png_output.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "formats/file_io.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

[[noreturn]] void fail(png_structp, png_const_charp message) { throw Error(std::string("Cannot write the PNG: ") + message); }

void warnNothing(png_structp, png_const_charp) {}

// Frees libpng's structures whichever way the write ends.
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriter() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, warnNothing);
        if (!png) throw Error("Not enough memory to write the PNG");
        info = png_create_info_struct(png);
        if (!info) {
            png_destroy_write_struct(&png, nullptr);
            throw Error("Not enough memory to write the PNG");
        }
    }
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
};

}  // namespace

void writePng(const PixelSurface& picture, const std::string& path) {
    const int w = picture.width(), h = picture.height();
    if (w < 1 || h < 1) throw Error("There is no picture to write");
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 4);
    {
        PngWriter writer;
        png_set_write_fn(writer.png, &bytes, appendBytes, flushNothing);
        png_set_IHDR(writer.png, writer.info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(writer.png, writer.info);
        for (int y = 0; y < h; ++y) {
            const Argb* src = picture.row(y);
            for (int x = 0; x < w; ++x) {
                row[4 * x] = static_cast<std::uint8_t>(src[x] >> 16);
                row[4 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
                row[4 * x + 2] = static_cast<std::uint8_t>(src[x]);
                row[4 * x + 3] = static_cast<std::uint8_t>(src[x] >> 24);
            }
            png_write_row(writer.png, row.data());
        }
        png_write_end(writer.png, nullptr);
    }
    writeFileAtomically(path, bytes);
}

}  // namespace mugwarp
