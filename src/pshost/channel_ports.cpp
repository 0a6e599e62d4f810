#include "pshost/channel_ports.h"

#include <algorithm>
#include <cstdint>

namespace mugwarp {

namespace {

constexpr abi::Fixed kSeventyTwoDpi = 72 << 16;
const char* const kChannelNames[] = {"Red", "Green", "Blue", "Selection"};
constexpr std::int16_t kChannelTypes[] = {abi::kChannelRed, abi::kChannelGreen, abi::kChannelBlue,
                                          abi::kChannelSelection};

// The source position of destination pixel d (counted from the destination
// start), sampled at its centre: n source pixels over m destination ones.
std::int64_t sourceIndex(std::int64_t d, std::int64_t n, std::int64_t m) { return ((2 * d + 1) * n) / (2 * m); }

}  // namespace

void ChannelPorts::describe(const OriginalPixels* original, const MaskView* mask) {
    picture_ = original;
    const PixelsView& picture = original->picture();
    if (mask && !mask->isEmpty()) {
        mask_ = *mask;
    } else {
        mask_.reset();
    }
    document_ = abi::ReadImageDocumentDesc{};
    document_.imageMode = abi::kImageModeRGB;
    document_.depth = 8;
    document_.bounds = {0, 0, picture.height, picture.width};
    document_.hResolution = document_.vResolution = kSeventyTwoDpi;
    for (int i = 0; i < 256; ++i) document_.redLUT[i] = document_.greenLUT[i] = document_.blueLUT[i] = std::uint8_t(i);
    for (int c = 0; c < kChannels; ++c) {
        abi::ReadChannelDesc& d = channels_[c];
        d = abi::ReadChannelDesc{};
        d.port = reinterpret_cast<abi::ChannelReadPort>(&portIds_[c]);
        d.bounds = document_.bounds;
        d.depth = 8;
        // The whole picture is one tile.
        d.tileSize = {picture.height, picture.width};
        d.target = d.shown = c < 3;
        d.channelType = kChannelTypes[c];
        d.name = kChannelNames[c];
    }
    channels_[0].next = &channels_[1];
    channels_[1].next = &channels_[2];
    document_.targetCompositeChannels = document_.mergedCompositeChannels = &channels_[0];
    document_.selection = mask_ ? &channels_[3] : nullptr;
}

std::optional<int> ChannelPorts::channelOf(abi::ChannelReadPort port) const {
    for (int c = 0; c < kChannels; ++c)
        if (reinterpret_cast<const char*>(port) == &portIds_[c]) return c == 3 && !mask_ ? std::nullopt : std::optional(c);
    return std::nullopt;
}

abi::OSErr ChannelPorts::read(abi::ChannelReadPort port, const abi::PSScaling* scaling, const abi::VRect& writeRect,
                              const abi::PixelMemoryDesc& destination, abi::VRect* wroteRect) const {
    const std::optional<int> channel = channelOf(port);
    if (!channel) return abi::kUnknownPortErr;
    if (destination.depth != 8) return abi::kUnsupportedDepthErr;
    if (destination.colBits <= 0 || destination.colBits % 8) return abi::kUnsupportedColBitsErr;
    if (destination.rowBits % 8) return abi::kUnsupportedRowBitsErr;
    if (destination.bitOffset < 0 || destination.bitOffset % 8) return abi::kUnsupportedBitOffsetErr;
    const abi::VRect source = scaling ? scaling->sourceRect : writeRect;
    const abi::VRect target = scaling ? scaling->destinationRect : writeRect;
    abi::VRect wrote{std::max(writeRect.top, target.top), std::max(writeRect.left, target.left),
                     std::min(writeRect.bottom, target.bottom), std::min(writeRect.right, target.right)};
    const std::int64_t sourceHeight = std::int64_t(source.bottom) - source.top;
    const std::int64_t sourceWidth = std::int64_t(source.right) - source.left;
    const std::int64_t targetHeight = std::int64_t(target.bottom) - target.top;
    const std::int64_t targetWidth = std::int64_t(target.right) - target.left;
    if (wrote.bottom <= wrote.top || wrote.right <= wrote.left || sourceHeight <= 0 || sourceWidth <= 0 ||
        !picture_ || picture_->width() <= 0 || picture_->height() <= 0) {
        if (wroteRect) *wroteRect = {};
        return abi::kNoErr;
    }
    if (!destination.data) return abi::kParamErr;
    auto* base = static_cast<std::uint8_t*>(destination.data) + destination.bitOffset / 8;
    const std::int64_t rowBytes = destination.rowBits / 8, colBytes = destination.colBits / 8;
    const int shift = 16 - 8 * std::min(*channel, 2);
    // The mask may be smaller than the picture: its edge is repeated.
    const auto maskAt = [this](std::int64_t y, std::int64_t x) {
        return mask_->row(int(std::min<std::int64_t>(y, mask_->height - 1)))[std::min<std::int64_t>(x, mask_->width - 1)];
    };
    for (std::int32_t y = wrote.top; y < wrote.bottom; ++y) {
        const std::int64_t sy = std::clamp<std::int64_t>(
            source.top + sourceIndex(y - std::int64_t(target.top), sourceHeight, targetHeight), 0, picture_->height() - 1);
        std::uint8_t* out = base + (std::int64_t(y) - writeRect.top) * rowBytes +
                            (std::int64_t(wrote.left) - writeRect.left) * colBytes;
        for (std::int32_t x = wrote.left; x < wrote.right; ++x, out += colBytes) {
            const std::int64_t sx = std::clamp<std::int64_t>(
                source.left + sourceIndex(x - std::int64_t(target.left), sourceWidth, targetWidth), 0,
                picture_->width() - 1);
            *out = *channel == 3 ? maskAt(sy, sx) : std::uint8_t(picture_->pixel(int(sx), int(sy)) >> shift);
        }
    }
    if (wroteRect) *wroteRect = wrote;
    return abi::kNoErr;
}

}  // namespace mugwarp
