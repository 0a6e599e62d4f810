#include "formats/pdf_writer.h"

#include <array>
#include <cstdio>

#include "formats/file_io.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint16_t u16() {
        need(2);
        const std::uint16_t v = std::uint16_t((data_[pos_] << 8) | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    std::uint8_t u8() {
        need(1);
        return data_[pos_++];
    }
    // Skipping past the end is not an error by itself; the next read is.
    void skip(std::size_t n) { pos_ += n; }

private:
    void need(std::size_t n) const {
        if (pos_ > data_.size() || data_.size() - pos_ < n) throw Error("Stream read error");
    }
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

class PdfText {
public:
    void add(const char* text) { add(std::string(text)); }
    void add(const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
    template <typename... Args>
    void format(const char* fmt, Args... args) {
        std::array<char, 64> buffer{};
        const int n = std::snprintf(buffer.data(), buffer.size(), fmt, args...);
        bytes.insert(bytes.end(), buffer.data(), buffer.data() + n);
    }
    std::size_t position() const { return bytes.size(); }
    std::vector<std::uint8_t> bytes;
};

}  // namespace

std::optional<JpegFrameHeader> readJpegFrameHeader(std::span<const std::uint8_t> jpeg) {
    BigEndianReader in(jpeg);
    if (in.u16() != 0xFFD8) return std::nullopt;
    for (;;) {
        const std::uint16_t marker = in.u16();
        if (marker == 0xFFC0 || marker == 0xFFC2) {
            in.skip(3);  // segment length, sample precision
            JpegFrameHeader header;
            header.height = in.u16();
            header.width = in.u16();
            const int components = in.u8();
            if (components != 3 && components != 4) return std::nullopt;
            header.cmyk = components == 4;
            return header;
        }
        if (marker == 0xFFFF || marker == 0xFFD9) return std::nullopt;
        const std::uint16_t length = in.u16();
        // A length below 2 would step back onto itself for ever.
        if (length < 2) return std::nullopt;
        in.skip(length - 2u);
    }
}

std::optional<JpegFrameHeader> readJpegFrameHeader(const std::string& fileName) {
    const auto bytes = readWholeFile(fileName);
    return readJpegFrameHeader(bytes);
}

std::vector<std::uint8_t> buildPdfFromJpeg(std::span<const std::uint8_t> jpeg, const JpegFrameHeader& header) {
    std::array<long, 11> offsets{};
    int objectCount = 0;
    PdfText pdf;
    auto objectLine = [&] { pdf.format("%d 0 obj\n", objectCount + 1); };
    auto endObject = [&] {
        pdf.add("endobj\n");
        ++objectCount;
    };

    pdf.add("%PDF-1.2\n");

    offsets[0] = long(pdf.position());
    objectLine();
    pdf.add("<<\n/Type /Catalog\n/Pages 2 0 R\n/OpenAction [3 0 R /XYZ -32768 -32768 1 ]\n>>\n");
    endObject();

    offsets[1] = long(pdf.position());
    objectLine();
    pdf.add("<<\n/Type /Pages\n/Kids [ 3 0 R ]\n/Count 1\n>>\n");
    endObject();

    offsets[2] = long(pdf.position());
    objectLine();
    pdf.add("<<\n/Type /Page\n/Parent 2 0 R\n/Resources\n<<\n/XObject << /Im0 4 0 R >>\n/ProcSet [ /PDF /ImageC ]\n>>\n");
    pdf.format("/MediaBox [ 0 0 %d %d ]\n", header.width, header.height);
    pdf.add("/Contents 5 0 R\n>>\n");
    endObject();

    offsets[3] = long(pdf.position());
    objectLine();
    pdf.add("<<\n/Type /XObject\n/Subtype /Image\n/Name /Im0\n");
    pdf.format("/Width %d\n", header.width);
    pdf.format("/Height %d\n", header.height);
    pdf.add("/BitsPerComponent 8\n/Filter [/DCTDecode]\n");
    if (header.cmyk) pdf.add("/ColorSpace /DeviceCMYK\n/Decode[1 0 1 0 1 0 1 0]\n");
    else pdf.add("/ColorSpace /DeviceRGB\n");
    pdf.format("/Length %d >>\n", static_cast<int>(jpeg.size()));
    pdf.add("stream\n");
    pdf.bytes.insert(pdf.bytes.end(), jpeg.begin(), jpeg.end());
    pdf.add("endstream\n");
    endObject();

    PdfText content;
    content.add("q\n");
    content.format("%d 0 0 %d 0 0 cm\n", header.width, header.height);
    content.add("/Im0 Do\nQ\n");
    offsets[4] = long(pdf.position());
    objectLine();
    pdf.format("<< /Length %d >>\n", static_cast<int>(content.bytes.size()));
    pdf.add("stream\n");
    pdf.bytes.insert(pdf.bytes.end(), content.bytes.begin(), content.bytes.end());
    pdf.add("endstream\n");
    endObject();

    offsets[5] = long(pdf.position());
    pdf.add("xref\n");
    pdf.format("0 %d\n", objectCount + 1);
    pdf.add("0000000000 65535 f \n");
    for (int i = 0; i < 5; ++i) {
        pdf.format("%0.10ld", offsets[i]);
        pdf.add(" 00000 n \n");
    }
    pdf.add("trailer\n<<\n");
    pdf.format("/Size %d\n", 6);
    pdf.add("/Root 1 0 R\n>>\nstartxref\n");
    pdf.format("%ld\n", offsets[5]);
    pdf.add("%%EOF");
    return std::move(pdf.bytes);
}

bool convertJpegToPdf(const std::string& fileName, const std::string& saveName) {
    if (fileName.empty()) throw Error("FileName is nil");
    if (saveName.empty()) throw Error("SaveName is nil");
    const auto jpeg = readWholeFile(fileName);
    const auto header = readJpegFrameHeader(jpeg);
    if (!header) return false;
    const auto pdf = buildPdfFromJpeg(jpeg, *header);
    writeFileAtomically(saveName, pdf);
    return true;
}

}  // namespace mugwarp
