#include "test_support.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "formats/picture_io.h"

namespace mugwarp::test {

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

int run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string capture(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    ::pclose(pipe);
    return out;
}

bool toolAvailable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

namespace {

int readNumber(const std::vector<std::uint8_t>& bytes, std::size_t& pos) {
    while (pos < bytes.size()) {
        if (bytes[pos] == '#') {
            while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
        } else if (std::isspace(bytes[pos])) {
            ++pos;
        } else {
            break;
        }
    }
    int v = 0;
    while (pos < bytes.size() && std::isdigit(bytes[pos])) v = v * 10 + (bytes[pos++] - '0');
    return v;
}

}  // namespace

RgbImage readPnm(const std::string& path) {
    const auto bytes = readFile(path);
    RgbImage img;
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '6' && bytes[1] != '5')) return img;
    const bool colour = bytes[1] == '6';
    std::size_t pos = 2;
    img.width = readNumber(bytes, pos);
    img.height = readNumber(bytes, pos);
    const int maxval = readNumber(bytes, pos);
    ++pos;
    if (maxval != 255) return RgbImage{};
    const std::size_t n = std::size_t(img.width) * img.height;
    const std::size_t need = n * (colour ? 3 : 1);
    if (bytes.size() < pos + need) return RgbImage{};
    img.pixels.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (colour) {
            const std::uint8_t* p = &bytes[pos + 3 * i];
            img.pixels[i] = 0xFF000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
        } else {
            const std::uint32_t g = bytes[pos + i];
            img.pixels[i] = 0xFF000000u | (g << 16) | (g << 8) | g;
        }
    }
    return img;
}

void writePpm(const std::string& path, const PixelSurface& picture) {
    std::ostringstream header;
    header << "P6\n" << picture.width() << " " << picture.height() << "\n255\n";
    std::vector<std::uint8_t> bytes;
    const std::string h = header.str();
    bytes.insert(bytes.end(), h.begin(), h.end());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const Argb p = picture.pixel(x, y);
            bytes.push_back(std::uint8_t(p >> 16));
            bytes.push_back(std::uint8_t(p >> 8));
            bytes.push_back(std::uint8_t(p));
        }
    writeFile(path, bytes);
}

RgbImage rgbOf(const PlatformBitmap& bitmap) {
    RgbImage img{bitmap.width(), bitmap.height(), {}};
    img.pixels.reserve(std::size_t(img.width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.pixels.push_back(bitmap.pixelArgb(x, y) | 0xFF000000u);
    return img;
}

RgbImage rgbOf(const PixelSurface& surface) {
    RgbImage img{surface.width(), surface.height(), {}};
    img.pixels.reserve(std::size_t(img.width) * img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.pixels.push_back(surface.pixel(x, y) | 0xFF000000u);
    return img;
}

PixelSurface gradientPicture(int width, int height) {
    PixelSurface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, makeArgb(255, std::uint8_t(x * 255 / std::max(1, width - 1)),
                                      std::uint8_t(y * 255 / std::max(1, height - 1)), std::uint8_t((x + y) * 3)));
    return s;
}

PixelSurface paletteSizedPicture(int width, int height, int colours, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<Argb> palette;
    for (int i = 0; i < colours; ++i) palette.push_back(0xFF000000u | (rng() & 0xFFFFFF));
    PixelSurface s(width, height);
    // Runs of equal colour so that the compressor meets repeated strings.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::size_t i = ((x / 3) * 7 + (y / 2) * 13 + ((x * y) % 5)) % palette.size();
            s.setPixel(x, y, palette[i]);
        }
    // Every colour at least once.
    for (int i = 0; i < colours && i < width * height; ++i) s.setPixel(i % width, i / width, palette[std::size_t(i)]);
    return s;
}

std::string sourcePath(const std::string& relative) { return std::string(MUGWARP_SOURCE_DIR) + "/" + relative; }

PixelSurface samplePhoto() {
    PixelSurface s;
    s.assign(loadPicture(sourcePath("data/sample/portrait.jpg")));
    return s;
}

bool sameRgb(const RgbImage& a, const RgbImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

RgbImage imageMagickDecode(const std::string& file, const TempDir& tmp) {
    std::filesystem::remove(tmp.path("im.ppm"));
    if (run("/usr/bin/convert '" + file + "' -depth 8 " + tmp.path("im.ppm")) != 0) return {};
    return readPnm(tmp.path("im.ppm"));
}

RgbImage giflibDecode(const std::string& gif, int width, int height, const TempDir& tmp) {
    const std::string out = tmp.path("giflib.rgb");
    std::filesystem::remove(out);
    if (run("/usr/bin/gif2rgb -1 -o " + out + " " + gif) != 0) return {};
    const auto bytes = readFile(out);
    RgbImage img{width, height, {}};
    if (bytes.size() != std::size_t(width) * height * 3) return {};
    for (std::size_t i = 0; i < bytes.size(); i += 3)
        img.pixels.push_back(0xFF000000u | (std::uint32_t(bytes[i]) << 16) | (std::uint32_t(bytes[i + 1]) << 8) |
                             bytes[i + 2]);
    return img;
}

}  // namespace mugwarp::test
