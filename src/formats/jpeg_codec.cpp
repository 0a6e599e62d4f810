#include "formats/jpeg_codec.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it builds on.
#include <jerror.h>

#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

// The library reports fatal errors by calling error_exit, which must not
// return. We jump back to the one frame that called setjmp; the library's
// own frames hold no C++ objects, so nothing is skipped that needs a
// destructor. Warnings are counted instead of printed.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int warnings = 0;
    int firstWarningCode = 0;
    char text[JMSG_LENGTH_MAX] = {};
};

extern "C" void onError(j_common_ptr info) {
    auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, mgr->text);
    std::longjmp(mgr->jump, 1);
}

extern "C" void onMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
    if (mgr->warnings++ == 0) mgr->firstWarningCode = info->err->msg_code;
}

extern "C" void onOutputMessage(j_common_ptr) {}

void installErrorManager(ErrorManager& mgr) {
    jpeg_std_error(&mgr.pub);
    mgr.pub.error_exit = onError;
    mgr.pub.emit_message = onMessage;
    mgr.pub.output_message = onOutputMessage;
}

[[noreturn]] void raiseJpegError(const ErrorManager& err) {
    std::string text = err.text;
    if (text.empty()) text = "the decoder gave up";
    throw Error("JPEG data damaged: " + text);
}

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp13 = JPEG_APP0 + 13;
constexpr char kExifId[] = "Exif\0";  // and a second NUL: 6 bytes
constexpr char kXmpId[] = "http://ns.adobe.com/xap/1.0/";  // with its NUL: 29 bytes
constexpr char kPhotoshopId[] = "Photoshop 3.0";

bool markerStarts(const jpeg_saved_marker_ptr m, const char* id, std::size_t n) {
    return m->data_length >= n && std::memcmp(m->data, id, n) == 0;
}

void collectMarkers(jpeg_decompress_struct& cinfo, JpegDecodeResult& out) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        const std::uint8_t* data = m->data;
        if (m->marker == kApp1 && out.info.exif.empty() && markerStarts(m, kExifId, 6))
            out.info.exif.assign(data + 6, data + m->data_length);
        else if (m->marker == kApp1 && out.info.xmp.empty() && markerStarts(m, kXmpId, sizeof kXmpId))
            out.info.xmp.assign(data + sizeof kXmpId, data + m->data_length);
        else if (m->marker == kApp13 && out.info.iptc.empty() && markerStarts(m, kPhotoshopId, sizeof kPhotoshopId))
            out.info.iptc.assign(data, data + m->data_length);
    }
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    if (jpeg_read_icc_profile(&cinfo, &icc, &iccLength) && icc) {
        out.iccProfile.assign(icc, icc + iccLength);
        std::free(icc);
    }
}

// Inks to screen colours. Adobe's writers store CMYK inverted (0 = full ink)
// and mark the file with their APP14 segment; every such file a user meets
// comes from them, so the marker decides. Without it the samples are plain
// ink amounts.
void cmykRowToArgb(const JSAMPLE* src, std::uint8_t* dst, int width, bool adobeInverted) {
    for (int x = 0; x < width; ++x, src += 4, dst += 4) {
        unsigned c = src[0], m = src[1], y = src[2], k = src[3];
        if (!adobeInverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[0] = std::uint8_t((y * k + 127) / 255);
        dst[1] = std::uint8_t((m * k + 127) / 255);
        dst[2] = std::uint8_t((c * k + 127) / 255);
        dst[3] = 0xFF;
    }
}

void greyRowToArgb(const JSAMPLE* src, std::uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, dst += 4) {
        dst[0] = dst[1] = dst[2] = src[x];
        dst[3] = 0xFF;
    }
}

// Everything that may be jumped over lives in the caller; this frame only
// holds trivially destructible locals besides what it was handed.
int decodeInto(jpeg_decompress_struct& cinfo, ErrorManager& err, std::span<const std::uint8_t> file,
               JpegDecodeResult& result, std::vector<JSAMPLE>& rowBuffer) {
    if (setjmp(err.jump)) return err.pub.msg_code != 0 ? err.pub.msg_code : -1;
    PlatformBitmap& out = result.bitmap;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_save_markers(&cinfo, kApp1, 0xFFFF);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
    jpeg_save_markers(&cinfo, kApp13, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    collectMarkers(cinfo, result);

    bool cmyk = false;
    bool grey = false;
    switch (cinfo.jpeg_color_space) {
        case JCS_CMYK:
        case JCS_YCCK:
            cinfo.out_color_space = JCS_CMYK;
            cmyk = true;
            break;
        case JCS_GRAYSCALE:
            cinfo.out_color_space = JCS_GRAYSCALE;
            grey = true;
            break;
        default:
            cinfo.out_color_space = JCS_EXT_BGRA;
            break;
    }
    jpeg_calc_output_dimensions(&cinfo);
    // The size check throws; do it outside the library's frames but before
    // any large allocation, and jump-free: report through the return value.
    if (cinfo.output_width > unsigned(kMaxPictureSide) || cinfo.output_height > unsigned(kMaxPictureSide) ||
        std::int64_t(cinfo.output_width) * cinfo.output_height > kMaxPicturePixels)
        return -2;
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    out.setSize(width, height, 32);
    if (cmyk || grey) rowBuffer.resize(std::size_t(width) * cinfo.output_components);
    const bool adobe = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        std::uint8_t* dst = out.scanLine(y);
        JSAMPROW row = (cmyk || grey) ? rowBuffer.data() : dst;
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
        if (cmyk) cmykRowToArgb(rowBuffer.data(), dst, width, adobe);
        else if (grey) greyRowToArgb(rowBuffer.data(), dst, width);
    }
    jpeg_finish_decompress(&cinfo);
    return 0;
}

struct Decompressor {
    jpeg_decompress_struct cinfo{};
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
};

// Compressed bytes go straight into a vector the encoder owns: an error
// half-way then leaves no library-allocated buffer behind to free or leak.
struct VectorDestination {
    jpeg_destination_mgr pub{};
    std::vector<std::uint8_t> bytes;
};

VectorDestination& destinationOf(j_compress_ptr cinfo) { return *reinterpret_cast<VectorDestination*>(cinfo->dest); }

// Never lets an exception cross the library's frames: a failed allocation
// becomes the library's own out-of-memory error.
void growDestination(j_compress_ptr cinfo, std::size_t size) {
    VectorDestination& d = destinationOf(cinfo);
    const std::size_t used = d.bytes.size() - d.pub.free_in_buffer;
    try {
        d.bytes.resize(size);
    } catch (const std::exception&) {
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    }
    d.pub.next_output_byte = d.bytes.data() + used;
    d.pub.free_in_buffer = d.bytes.size() - used;
}

extern "C" void initDestination(j_compress_ptr cinfo) {
    VectorDestination& d = destinationOf(cinfo);
    d.bytes.clear();
    d.pub.free_in_buffer = 0;
    // A photograph at quality 90 takes about a quarter byte a pixel: start
    // there so a large picture grows the buffer once or twice, not a dozen times.
    const std::size_t estimate = std::size_t(cinfo->image_width) * cinfo->image_height / 4;
    growDestination(cinfo, std::max(estimate, std::size_t{1} << 16));
}

extern "C" boolean emptyDestination(j_compress_ptr cinfo) {
    VectorDestination& d = destinationOf(cinfo);
    // The library hands the buffer back only when it is full.
    d.pub.free_in_buffer = 0;
    growDestination(cinfo, d.bytes.size() * 2);
    return TRUE;
}

extern "C" void termDestination(j_compress_ptr cinfo) {
    VectorDestination& d = destinationOf(cinfo);
    d.bytes.resize(d.bytes.size() - d.pub.free_in_buffer);
}

struct Compressor {
    jpeg_compress_struct cinfo{};
    VectorDestination destination;
    ~Compressor() { jpeg_destroy_compress(&cinfo); }
};

static_assert(std::endian::native == std::endian::little, "surface words are read as blue, green, red, alpha bytes");

void writeMarker(jpeg_compress_struct& cinfo, int marker, const char* id, std::size_t idLength,
                 const std::vector<std::uint8_t>& body) {
    // A segment holds at most 65533 bytes; a longer block cannot be written
    // as one and is left out rather than cut.
    if (body.empty() || idLength + body.size() > 65533) return;
    jpeg_write_m_header(&cinfo, marker, unsigned(idLength + body.size()));
    for (std::size_t i = 0; i < idLength; ++i) jpeg_write_m_byte(&cinfo, id[i]);
    for (std::uint8_t b : body) jpeg_write_m_byte(&cinfo, b);
}

int encodeInto(Compressor& c, ErrorManager& err, const PixelSurface& picture, const JpegExtras& extras) {
    if (setjmp(err.jump)) return err.pub.msg_code != 0 ? err.pub.msg_code : -1;
    jpeg_compress_struct& cinfo = c.cinfo;
    jpeg_create_compress(&cinfo);
    c.destination.pub.init_destination = initDestination;
    c.destination.pub.empty_output_buffer = emptyDestination;
    c.destination.pub.term_destination = termDestination;
    cinfo.dest = &c.destination.pub;
    cinfo.image_width = static_cast<JDIMENSION>(picture.width());
    cinfo.image_height = static_cast<JDIMENSION>(picture.height());
    // The surface's 0xAARRGGBB words are bytes blue, green, red, alpha: the
    // library reads them as RGB with the fourth byte dropped, which encodes
    // exactly as 3-component RGB rows would, without a copy.
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(extras.quality, 1, 100), TRUE);
    cinfo.dct_method = JDCT_FLOAT;  // after set_defaults, which resets it
    jpeg_start_compress(&cinfo, TRUE);
    // EXIF comes first, right after the JFIF header, where readers look for it.
    writeMarker(cinfo, kApp1, kExifId, 6, extras.info.exif);
    if (!extras.iccProfile.empty())
        jpeg_write_icc_profile(&cinfo, extras.iccProfile.data(), unsigned(extras.iccProfile.size()));
    writeMarker(cinfo, kApp1, kXmpId, sizeof kXmpId, extras.info.xmp);
    writeMarker(cinfo, kApp13, "", 0, extras.info.iptc);
    while (cinfo.next_scanline < cinfo.image_height) {
        const Argb* src = picture.row(static_cast<int>(cinfo.next_scanline));
        JSAMPROW row = const_cast<JSAMPLE*>(reinterpret_cast<const JSAMPLE*>(src));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return 0;
}

}  // namespace

JpegDecodeResult decodeJpeg(std::span<const std::uint8_t> file) {
    JpegDecodeResult result;
    std::vector<JSAMPLE> rowBuffer;
    ErrorManager err;
    installErrorManager(err);
    Decompressor d;
    d.cinfo.err = &err.pub;
    const int code = decodeInto(d.cinfo, err, file, result, rowBuffer);
    if (code == -2)
        checkPictureSize(d.cinfo.output_width, d.cinfo.output_height, "JPEG image");
    if (code != 0) raiseJpegError(err);
    result.warnings = err.warnings;
    result.firstWarningCode = err.firstWarningCode;
    return result;
}

std::vector<std::uint8_t> encodeJpeg(const PixelSurface& picture, const JpegExtras& extras) {
    ErrorManager err;
    installErrorManager(err);
    Compressor c;
    c.cinfo.err = &err.pub;
    const int code = encodeInto(c, err, picture, extras);
    if (code != 0) raiseJpegError(err);
    return std::move(c.destination.bytes);
}

}  // namespace mugwarp
