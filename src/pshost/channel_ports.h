#pragma once
#include <array>
#include <optional>

#include "pshost/image_views.h"
#include "pshost/original_pixels.h"
#include "pshost/suite_abi.h"

namespace mugwarp {

// The picture as a filter may read it through channel ports: a document
// description listing the red, green and blue channels (and the selection
// when there is one), each with a read port that delivers any rectangle at
// any scale, as filters do for their previews. Ports read the picture as it
// was when the run began; there are no write ports.
class ChannelPorts {
public:
    // Describes picture (and mask, which may be absent); both must stay
    // valid while filters can read.
    void describe(const OriginalPixels* picture, const MaskView* mask);
    abi::ReadImageDocumentDesc* document() { return &document_; }

    // The read-pixels procedure: scaling (or none: one to one) maps the
    // source rectangle onto the destination one; the part of writeRect that
    // lies in the destination rectangle is written, nearest pixel, 8 bits.
    abi::OSErr read(abi::ChannelReadPort port, const abi::PSScaling* scaling, const abi::VRect& writeRect,
                    const abi::PixelMemoryDesc& destination, abi::VRect* wroteRect) const;

private:
    static constexpr int kChannels = 4;  // red, green, blue, selection
    std::optional<int> channelOf(abi::ChannelReadPort port) const;

    const OriginalPixels* picture_ = nullptr;
    std::optional<MaskView> mask_;
    abi::ReadImageDocumentDesc document_{};
    std::array<abi::ReadChannelDesc, kChannels> channels_{};
    // The ports are the addresses of these bytes: unique, and checkable.
    std::array<char, kChannels> portIds_{};
};

}  // namespace mugwarp
