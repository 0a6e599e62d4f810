#include "formats/heif_reader.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formats/exif_block.h"
#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// Debian's libheif decodes HEVC through libde265 and AV1 through dav1d or
// libaom; those are the packages to name when a decoder is absent.
std::string missingDecoderMessage(PictureKind kind) {
    if (kind == PictureKind::Avif)
        return "No AVIF decoder is installed (install the Debian package libdav1d6 or libaom3)";
    return "No HEIC decoder is installed (install the Debian package libde265-0)";
}

[[noreturn]] void raise(const heif_error& error, PictureKind kind) {
    if (error.code == heif_error_Unsupported_feature && error.subcode == heif_suberror_Unsupported_codec)
        throw Error(missingDecoderMessage(kind));
    if (error.code == heif_error_Memory_allocation_error) throw Error("Not enough memory to decode the picture");
    const std::string what = error.message && *error.message ? error.message : "the file cannot be read";
    throw Error(std::string(pictureKindName(kind)) + " data damaged: " + what);
}

void check(const heif_error& error, PictureKind kind) {
    if (error.code != heif_error_Ok) raise(error, kind);
}

void readMetadata(heif_image_handle* handle, DecodedImage& out) {
    const std::size_t iccSize = heif_image_handle_get_raw_color_profile_size(handle);
    if (iccSize > 0 && iccSize < (std::size_t(64) << 20)) {
        out.iccProfile.resize(iccSize);
        if (heif_image_handle_get_raw_color_profile(handle, out.iccProfile.data()).code != heif_error_Ok)
            out.iccProfile.clear();
    }
    heif_item_id ids[4];
    const int exifBlocks = heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", ids, 4);
    if (exifBlocks > 0) {
        const std::size_t size = heif_image_handle_get_metadata_size(handle, ids[0]);
        std::vector<std::uint8_t> block(size);
        // The block starts with a 4-byte big-endian offset to the TIFF header.
        if (size > 4 && heif_image_handle_get_metadata(handle, ids[0], block.data()).code == heif_error_Ok) {
            const std::size_t skip = std::size_t(block[0]) << 24 | std::size_t(block[1]) << 16 | std::size_t(block[2]) << 8 | block[3];
            if (skip <= size - 4) {
                const auto tiff = exifTiffStream(std::span<const std::uint8_t>(block).subspan(4 + skip));
                out.info.exif.assign(tiff.begin(), tiff.end());
                out.orientation = exifOrientation(tiff);
            }
        }
    }
    const int xmpBlocks = heif_image_handle_get_list_of_metadata_block_IDs(handle, "mime", ids, 4);
    for (int i = 0; i < xmpBlocks; ++i) {
        const char* type = heif_image_handle_get_metadata_content_type(handle, ids[i]);
        if (!type || std::strcmp(type, "application/rdf+xml") != 0) continue;
        out.info.xmp.resize(heif_image_handle_get_metadata_size(handle, ids[i]));
        if (heif_image_handle_get_metadata(handle, ids[i], out.info.xmp.data()).code != heif_error_Ok) out.info.xmp.clear();
        break;
    }
}

}  // namespace

DecodedImage decodeHeif(std::span<const std::uint8_t> file, PictureKind kind) {
    DecodedImage out;
    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) throw Error("Not enough memory to decode the picture");
    check(heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr), kind);
    heif_image_handle* rawHandle = nullptr;
    check(heif_context_get_primary_image_handle(context.get(), &rawHandle), kind);
    std::unique_ptr<heif_image_handle, HandleRelease> handle(rawHandle);
    checkPictureSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()),
                     kind == PictureKind::Avif ? "AVIF image" : "HEIC image");
    const heif_compression_format codec = kind == PictureKind::Avif ? heif_compression_AV1 : heif_compression_HEVC;
    if (!heif_have_decoder_for_format(codec)) throw Error(missingDecoderMessage(kind));
    readMetadata(handle.get(), out);

    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (options) options->ignore_transformations = 0;
    heif_image* rawImage = nullptr;
    check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()),
          kind);
    std::unique_ptr<heif_image, ImageRelease> image(rawImage);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    checkPictureSize(width, height, kind == PictureKind::Avif ? "AVIF image" : "HEIC image");
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0) throw Error(std::string(pictureKindName(kind)) + " data damaged: no picture decoded");
    out.hasAlpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    out.upright = true;
    out.bitmap.setSize(width, height, 32);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = plane + std::size_t(y) * std::size_t(stride);
        std::uint8_t* dst = out.bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = src[3];
        }
    }
    return out;
}

}  // namespace mugwarp
