#include <filesystem>

#include "formats/pdf_writer.h"
#include "raster/error.h"
#include "test_support.h"

namespace mugwarp {
namespace {

using test::TempDir;

// A stand-in JPEG: SOI, optional segments, a frame header, filler to size.
std::vector<std::uint8_t> fakeJpeg(int width, int height, int components, std::size_t size,
                                   std::uint8_t sof = 0xC0, bool withApp = false) {
    std::vector<std::uint8_t> b = {0xFF, 0xD8};
    if (withApp) {
        const std::vector<std::uint8_t> app0 = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        const std::vector<std::uint8_t> app1 = {0xFF, 0xE1, 0, 8, 'E', 'x', 'i', 'f', 0, 0};
        b.insert(b.end(), app0.begin(), app0.end());
        b.insert(b.end(), app1.begin(), app1.end());
    }
    const std::vector<std::uint8_t> frame = {0xFF, sof, 0, std::uint8_t(8 + 3 * components), 8,
                                             std::uint8_t(height >> 8), std::uint8_t(height),
                                             std::uint8_t(width >> 8), std::uint8_t(width), std::uint8_t(components)};
    b.insert(b.end(), frame.begin(), frame.end());
    while (b.size() < size - 2) b.push_back(0x55);
    b.push_back(0xFF);
    b.push_back(0xD9);
    return b;
}

std::size_t find(const std::vector<std::uint8_t>& pdf, const std::string& text, std::size_t from = 0) {
    const auto it = std::search(pdf.begin() + std::ptrdiff_t(from), pdf.end(), text.begin(), text.end());
    return it == pdf.end() ? std::string::npos : std::size_t(it - pdf.begin());
}

TEST(PdfWriter, WorkedExample) {
    const auto jpeg = fakeJpeg(640, 480, 3, 1000);
    ASSERT_EQ(jpeg.size(), 1000u);
    const auto header = readJpegFrameHeader(jpeg);
    ASSERT_TRUE(header);
    const auto pdf = buildPdfFromJpeg(jpeg, *header);
    EXPECT_EQ(pdf.size(), 1760u);
    const std::size_t offsets[] = {9, 100, 159, 317, 1497};
    for (int i = 0; i < 5; ++i) {
        const std::string line = std::to_string(i + 1) + " 0 obj\n";
        EXPECT_EQ(find(pdf, line), offsets[i]) << line;
    }
    EXPECT_EQ(find(pdf, "xref\n"), 1577u);
    EXPECT_NE(find(pdf, "<< /Length 31 >>\nstream\nq\n640 0 0 480 0 0 cm\n/Im0 Do\nQ\nendstream\n"), std::string::npos);
    EXPECT_NE(find(pdf, "0000000009 00000 n \n0000000100 00000 n \n0000000159 00000 n \n0000000317 00000 n \n"
                        "0000001497 00000 n \ntrailer\n<<\n/Size 6\n/Root 1 0 R\n>>\nstartxref\n1577\n%%EOF"),
              std::string::npos);
    EXPECT_EQ(std::string(pdf.end() - 5, pdf.end()), "%%EOF");
    // The JPEG sits unchanged between "stream\n" and "endstream\n".
    const std::size_t at = find(pdf, "/Length 1000 >>\nstream\n");
    ASSERT_NE(at, std::string::npos);
    const std::size_t data = at + std::string("/Length 1000 >>\nstream\n").size();
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), pdf.begin() + std::ptrdiff_t(data)));
    EXPECT_EQ(std::string(pdf.begin() + std::ptrdiff_t(data + 1000), pdf.begin() + std::ptrdiff_t(data + 1010)), "endstream\n");
    EXPECT_EQ(find(pdf, "\r"), std::string::npos);
    EXPECT_NE(find(pdf, "/ColorSpace /DeviceRGB\n/Length"), std::string::npos);
}

TEST(PdfWriter, FrameHeaderVariants) {
    // Segments before the frame header are skipped by their length; SOF2 counts.
    auto h = readJpegFrameHeader(fakeJpeg(300, 200, 3, 400, 0xC2, true));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 300);
    EXPECT_EQ(h->height, 200);
    EXPECT_FALSE(h->cmyk);
    h = readJpegFrameHeader(fakeJpeg(65535, 1, 4, 400));
    ASSERT_TRUE(h);
    EXPECT_EQ(h->width, 65535);
    EXPECT_TRUE(h->cmyk);
    const auto cmykPdf = buildPdfFromJpeg(fakeJpeg(10, 10, 4, 100), *h);
    EXPECT_NE(find(cmykPdf, "/ColorSpace /DeviceCMYK\n/Decode[1 0 1 0 1 0 1 0]\n/Length 100 >>\n"), std::string::npos);
    EXPECT_FALSE(readJpegFrameHeader(fakeJpeg(10, 10, 1, 100)));        // greyscale
    // An extended frame (SOF1) is skipped like any segment; the walk then runs
    // into the entropy-coded data and off the end of the file.
    EXPECT_THROW(readJpegFrameHeader(fakeJpeg(10, 10, 3, 100, 0xC1)), Error);
    EXPECT_FALSE(readJpegFrameHeader(std::vector<std::uint8_t>{'G', 'I', 'F', '8'}));
    EXPECT_FALSE(readJpegFrameHeader(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}));
    // A segment length below 2 would point back at itself for ever.
    EXPECT_FALSE(readJpegFrameHeader(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0xFF, 0xC0}));
    try {
        readJpegFrameHeader(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 200, 1, 2});
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

TEST(PdfWriter, ConvertFiles) {
    TempDir tmp;
    EXPECT_THROW(convertJpegToPdf("", ""), Error);
    try {
        convertJpegToPdf("", "x.pdf");
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "FileName is nil");
    }
    try {
        convertJpegToPdf("x.jpg", "");
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "SaveName is nil");
    }
    test::writeFile(tmp.path("grey.jpg"), fakeJpeg(10, 10, 1, 100));
    EXPECT_FALSE(convertJpegToPdf(tmp.path("grey.jpg"), tmp.path("grey.pdf")));
    EXPECT_FALSE(std::filesystem::exists(tmp.path("grey.pdf")));
    // A real JPEG makes a PDF that qpdf finds sound.
    EXPECT_TRUE(convertJpegToPdf(test::sourcePath("data/sample/portrait.jpg"), tmp.path("p.pdf")));
    EXPECT_EQ(test::run("/usr/bin/qpdf --check " + tmp.path("p.pdf")), 0);
}

}  // namespace
}  // namespace mugwarp
