#include "formats/webp_codec.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <memory>
#include <string>

#include "formats/exif_block.h"
#include "formats/picture_limits.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

constexpr int kWebpMaxSide = 16383;

struct DemuxDeleter {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct AnimDeleter {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};
struct MuxDeleter {
    void operator()(WebPMux* m) const { WebPMuxDelete(m); }
};

std::vector<std::uint8_t> chunk(WebPDemuxer* demux, const char* fourcc) {
    WebPChunkIterator it;
    std::vector<std::uint8_t> out;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &it)) out.assign(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
    WebPDemuxReleaseChunkIterator(&it);
    return out;
}

std::string describe(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OUT_OF_MEMORY: return "not enough memory to decode it";
        case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends before the picture does";
        case VP8_STATUS_UNSUPPORTED_FEATURE: return "it uses a feature this reader does not know";
        default: return "the compressed picture data are broken";
    }
}

void decodeStill(std::span<const std::uint8_t> file, DecodedImage& out) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) throw Error("WebP decoder cannot start");
    const VP8StatusCode features = WebPGetFeatures(file.data(), file.size(), &config.input);
    if (features != VP8_STATUS_OK) throw Error("WebP data damaged: " + describe(features));
    checkPictureSize(config.input.width, config.input.height, "WebP image");
    out.hasAlpha = config.input.has_alpha != 0;
    out.bitmap.setSize(config.input.width, config.input.height, 32);
    // Decoded straight into the bitmap: its rows lie bottom-up, so the top
    // row is the last stored one and the stride runs backwards (the decoder
    // takes negative strides, as its own vertical flip does).
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.bitmap.scanLine(0);
    config.output.u.RGBA.stride = -int(out.bitmap.stride());
    config.output.u.RGBA.size = out.bitmap.byteSize();
    const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) throw Error("WebP data damaged: " + describe(status));
}

void decodeFirstFrame(std::span<const std::uint8_t> file, DecodedImage& out) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) throw Error("WebP decoder cannot start");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{file.data(), file.size()};
    std::unique_ptr<WebPAnimDecoder, AnimDeleter> anim(WebPAnimDecoderNew(&data, &options));
    if (!anim) throw Error("WebP data damaged: the animation cannot be read");
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(anim.get(), &info)) throw Error("WebP data damaged: the animation cannot be read");
    checkPictureSize(info.canvas_width, info.canvas_height, "WebP image");
    std::uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(anim.get(), &frame, &timestamp) || !frame)
        throw Error("WebP data damaged: the first frame cannot be decoded");
    const int width = int(info.canvas_width), height = int(info.canvas_height);
    out.bitmap.setSize(width, height, 32);
    for (int y = 0; y < height; ++y) std::memcpy(out.bitmap.scanLine(y), frame + std::size_t(y) * width * 4, std::size_t(width) * 4);
    out.hasAlpha = true;
    out.notes.push_back("Animated WebP: showing its first frame of " + std::to_string(info.frame_count));
}

}  // namespace

DecodedImage decodeWebp(std::span<const std::uint8_t> file) {
    DecodedImage out;
    const WebPData data{file.data(), file.size()};
    std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
    if (!demux) throw Error("WebP data damaged: the file's structure is broken or cut short");
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    if (flags & ICCP_FLAG) out.iccProfile = chunk(demux.get(), "ICCP");
    if (flags & EXIF_FLAG) {
        const std::vector<std::uint8_t> exif = chunk(demux.get(), "EXIF");
        const auto tiff = exifTiffStream(exif);
        out.info.exif.assign(tiff.begin(), tiff.end());
        out.orientation = exifOrientation(tiff);
    }
    if (flags & XMP_FLAG) out.info.xmp = chunk(demux.get(), "XMP ");
    // The canvas is checked before the animation decoder sets one up: a small
    // file may declare a canvas of gigabytes.
    checkPictureSize(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH), WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT),
                     "WebP image");
    if ((flags & ANIMATION_FLAG) && WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT) > 1) decodeFirstFrame(file, out);
    else decodeStill(file, out);
    return out;
}

std::vector<std::uint8_t> encodeWebp(const PixelSurface& picture, const WebpExtras& extras) {
    if (picture.width() > kWebpMaxSide || picture.height() > kWebpMaxSide)
        throw Error("A WebP picture can be at most " + std::to_string(kWebpMaxSide) + " pixels wide and high");
    WebPConfig config;
    if (!WebPConfigInit(&config)) throw Error("WebP encoder cannot start");
    config.lossless = extras.lossless ? 1 : 0;
    config.quality = extras.lossless ? 75.0f : float(std::clamp(extras.quality, 0, 100));
    // Lossless means every colour comes back, also under full transparency.
    config.exact = extras.lossless ? 1 : 0;
    WebPPicture pic;
    if (!WebPPictureInit(&pic)) throw Error("WebP encoder cannot start");
    struct PictureFree {
        WebPPicture* p;
        ~PictureFree() { WebPPictureFree(p); }
    } picFree{&pic};
    pic.use_argb = 1;
    pic.width = picture.width();
    pic.height = picture.height();
    if (!WebPPictureImportBGRA(&pic, reinterpret_cast<const std::uint8_t*>(picture.row(0)), picture.width() * 4))
        throw Error("Not enough memory to write the WebP file");
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    struct WriterFree {
        WebPMemoryWriter* w;
        ~WriterFree() { WebPMemoryWriterClear(w); }
    } writerFree{&writer};
    pic.writer = WebPMemoryWrite;
    pic.custom_ptr = &writer;
    if (!WebPEncode(&config, &pic)) throw Error("Cannot write WebP (encoder error " + std::to_string(pic.error_code) + ")");
    std::vector<std::uint8_t> bytes(writer.mem, writer.mem + writer.size);
    if (extras.info.exif.empty() && extras.info.xmp.empty() && extras.iccProfile.empty()) return bytes;

    const WebPData image{bytes.data(), bytes.size()};
    std::unique_ptr<WebPMux, MuxDeleter> mux(WebPMuxCreate(&image, 1));
    if (!mux) throw Error("Cannot write WebP: the metadata cannot be added");
    const auto add = [&](const char* fourcc, const std::vector<std::uint8_t>& body) {
        if (body.empty()) return;
        const WebPData d{body.data(), body.size()};
        if (WebPMuxSetChunk(mux.get(), fourcc, &d, 1) != WEBP_MUX_OK) throw Error("Cannot write WebP: the metadata cannot be added");
    };
    add("ICCP", extras.iccProfile);
    add("EXIF", extras.info.exif);
    add("XMP ", extras.info.xmp);
    WebPData assembled;
    WebPDataInit(&assembled);
    if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) throw Error("Cannot write WebP: the metadata cannot be added");
    std::vector<std::uint8_t> out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

}  // namespace mugwarp
