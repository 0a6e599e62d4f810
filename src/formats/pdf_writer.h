#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mugwarp {

struct JpegFrameHeader {
    int width = 0;
    int height = 0;
    bool cmyk = false;
};

// Walks the JPEG's segments to the first baseline or progressive frame header.
// Nothing when the file is not a JPEG, has no such header before EOI, or its
// frame has neither 3 nor 4 components. A file that ends early raises
// Error("Stream read error").
std::optional<JpegFrameHeader> readJpegFrameHeader(std::span<const std::uint8_t> jpeg);
std::optional<JpegFrameHeader> readJpegFrameHeader(const std::string& fileName);

// The one-page PDF 1.2 document whose page is the JPEG, one pixel per point,
// with the JPEG bytes embedded unchanged.
std::vector<std::uint8_t> buildPdfFromJpeg(std::span<const std::uint8_t> jpeg, const JpegFrameHeader& header);

// Turns the JPEG file fileName into the PDF file saveName. Returns false, and
// creates nothing, when the JPEG has no usable frame header (for example a
// greyscale JPEG). The PDF appears complete or not at all.
bool convertJpegToPdf(const std::string& fileName, const std::string& saveName);

}  // namespace mugwarp
