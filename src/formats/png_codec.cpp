#include "formats/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "formats/exif_block.h"
#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

// libpng reports errors through a callback that must not return; we jump
// back to the one frame that called setjmp, which holds no C++ objects that
// need destroying, and throw from there.
struct PngState {
    std::jmp_buf jump;
    std::string message;
    std::span<const std::uint8_t> input;
    std::size_t position = 0;
    std::vector<std::uint8_t>* output = nullptr;
    bool outOfMemory = false;
};

PngState& stateOf(png_structp png) { return *static_cast<PngState*>(png_get_error_ptr(png)); }

extern "C" void onPngError(png_structp png, png_const_charp message) {
    PngState& state = stateOf(png);
    if (state.message.empty()) state.message = message ? message : "";
    std::longjmp(state.jump, 1);
}

extern "C" void onPngWarning(png_structp, png_const_charp) {}

extern "C" void readFromMemory(png_structp png, png_bytep data, png_size_t length) {
    PngState& state = *static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state.input.size() - state.position) {
        state.message = "the file ends before the picture does";
        png_error(png, "cut");
    }
    std::memcpy(data, state.input.data() + state.position, length);
    state.position += length;
}

extern "C" void writeToMemory(png_structp png, png_bytep data, png_size_t length) {
    PngState& state = *static_cast<PngState*>(png_get_io_ptr(png));
    try {
        state.output->insert(state.output->end(), data, data + length);
    } catch (const std::exception&) {
        state.outOfMemory = true;
        png_error(png, "out of memory");
    }
}

extern "C" void flushMemory(png_structp) {}

// libpng's own words for damage are terse; the common ones get a sentence.
std::string describeDamage(const std::string& message) {
    if (message.find("CRC error") != std::string::npos)
        return "a checksum does not match (" + message.substr(0, message.find(':')) + " chunk)";
    if (message.find("incorrect header check") != std::string::npos || message.find("invalid") != std::string::npos ||
        message.find("Decompression error") != std::string::npos || message.find("too much") != std::string::npos ||
        message.find("Not enough") != std::string::npos)
        return "the compressed picture data are broken (" + message + ")";
    return message;
}

struct ReadStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStruct() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct WriteStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~WriteStruct() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Returns 0, or 1 after a library error, or 2 when the picture is too large
// (reported by the caller, outside the jump frame).
int readInto(ReadStruct& r, PngState& state, DecodedImage& out, std::vector<png_bytep>& rows) {
    if (setjmp(state.jump)) return 1;
    png_set_read_fn(r.png, &state, readFromMemory);
    // The picture size cap is ours; libpng's own limit on ancillary chunks
    // (8 MB) stays, so a hostile text or profile chunk cannot claim gigabytes.
    png_set_user_limits(r.png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(r.png, r.info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(r.png, r.info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
    if (std::int64_t(width) * height > kMaxPicturePixels) return 2;

    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(r.png, r.info, &name, &compression, &profile, &profileLength) && profile)
        out.iccProfile.assign(profile, profile + profileLength);

    out.hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(r.png, r.info, PNG_INFO_tRNS);
    png_set_expand(r.png);  // palette to RGB, low grey depths to 8 bits, tRNS to alpha
    png_set_scale_16(r.png);
    if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(r.png);
    png_set_bgr(r.png);
    if (!out.hasAlpha) png_set_filler(r.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);

    out.bitmap.setSize(int(width), int(height), 32);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = out.bitmap.scanLine(int(y));
    png_read_image(r.png, rows.data());
    png_read_end(r.png, r.info);
    // eXIf may come after the image data, so it is read only now.
    png_uint_32 exifLength = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(r.png, r.info, &exifLength, &exif) && exif) {
        const auto tiff = exifTiffStream({exif, exifLength});
        out.info.exif.assign(tiff.begin(), tiff.end());
        out.orientation = exifOrientation(tiff);
    }
    return 0;
}

int writeFrom(WriteStruct& w, PngState& state, const PixelSurface& picture, bool alpha, std::vector<png_byte>& row) {
    if (setjmp(state.jump)) return 1;
    png_set_write_fn(w.png, &state, writeToMemory, flushMemory);
    png_set_IHDR(w.png, w.info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB_gAMA_and_cHRM(w.png, w.info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_write_info(w.png, w.info);
    // Surface words are bytes blue, green, red, alpha: libpng swaps to RGB
    // order and, for opaque pictures, drops the fourth byte itself.
    png_set_bgr(w.png);
    if (!alpha) png_set_filler(w.png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < picture.height(); ++y) {
        std::memcpy(row.data(), picture.row(y), row.size());
        png_write_row(w.png, row.data());
    }
    png_write_end(w.png, w.info);
    return 0;
}

}  // namespace

DecodedImage decodePng(std::span<const std::uint8_t> file) {
    DecodedImage out;
    PngState state;
    state.input = file;
    std::vector<png_bytep> rows;
    ReadStruct r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!r.png) throw Error("Not enough memory to read the PNG file");
    r.info = png_create_info_struct(r.png);
    if (!r.info) throw Error("Not enough memory to read the PNG file");
    const int result = readInto(r, state, out, rows);
    if (result == 2) checkPictureSize(png_get_image_width(r.png, r.info), png_get_image_height(r.png, r.info), "PNG image");
    if (result != 0) throw Error("PNG data damaged: " + describeDamage(state.message));
    return out;
}

std::vector<std::uint8_t> encodePng(const PixelSurface& picture) {
    bool alpha = false;
    for (int y = 0; y < picture.height() && !alpha; ++y) {
        const Argb* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x)
            if ((row[x] >> 24) != 0xFF) {
                alpha = true;
                break;
            }
    }
    std::vector<std::uint8_t> bytes;
    PngState state;
    state.output = &bytes;
    std::vector<png_byte> row(std::size_t(picture.width()) * 4);
    WriteStruct w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!w.png) throw Error("Not enough memory to write the PNG file");
    w.info = png_create_info_struct(w.png);
    if (!w.info) throw Error("Not enough memory to write the PNG file");
    png_set_write_fn(w.png, &state, writeToMemory, flushMemory);
    png_set_compression_level(w.png, 6);
    if (writeFrom(w, state, picture, alpha, row) != 0)
        throw Error(state.outOfMemory ? "Not enough memory to write the PNG file" : "Cannot write PNG: " + state.message);
    return bytes;
}

}  // namespace mugwarp
