#pragma once
// EXIF blocks written by hand for tests: a little-endian TIFF stream with a
// first directory of ASCII and SHORT entries and, optionally, a thumbnail
// directory pointing at a few bytes standing for the embedded JPEG.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mugwarp::test {

struct ExifFields {
    std::string make;   // 0x010F
    std::string model;  // 0x0110
    std::string date;   // 0x0132, "YYYY:MM:DD HH:MM:SS"
    std::string copyright;  // 0x8298
    int orientation = 0;    // 0x0112; 0 writes none
    std::vector<std::uint8_t> thumbnail;  // empty writes no second directory
};

inline std::vector<std::uint8_t> exifBlock(const ExifFields& f) {
    std::vector<std::uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put16 = [&](std::size_t at, unsigned v) {
        out[at] = std::uint8_t(v);
        out[at + 1] = std::uint8_t(v >> 8);
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = std::uint8_t(v >> (8 * i));
    };
    std::vector<std::pair<unsigned, std::string>> texts;
    if (!f.make.empty()) texts.push_back({0x010F, f.make});
    if (!f.model.empty()) texts.push_back({0x0110, f.model});
    if (!f.date.empty()) texts.push_back({0x0132, f.date});
    if (!f.copyright.empty()) texts.push_back({0x8298, f.copyright});
    // Entries must be sorted by tag: orientation (0x0112) goes between model and date.
    struct Entry {
        unsigned tag;
        const std::string* text;
    };
    std::vector<Entry> entries;
    for (const auto& t : texts) entries.push_back({t.first, &t.second});
    if (f.orientation) entries.push_back({0x0112, nullptr});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });

    const std::size_t dir = 8;
    const std::size_t n = entries.size();
    out.resize(dir + 2 + n * 12 + 4);
    put16(dir, unsigned(n));
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t e = dir + 2 + i * 12;
        put16(e, entries[i].tag);
        if (!entries[i].text) {
            put16(e + 2, 3);
            put32(e + 4, 1);
            put16(e + 8, unsigned(f.orientation));
            continue;
        }
        const std::string& s = *entries[i].text;
        put16(e + 2, 2);
        put32(e + 4, std::uint32_t(s.size() + 1));
        if (s.size() + 1 <= 4) {
            for (std::size_t k = 0; k < s.size(); ++k) out[e + 8 + k] = std::uint8_t(s[k]);
        } else {
            put32(e + 8, std::uint32_t(out.size()));
            out.insert(out.end(), s.begin(), s.end());
            out.push_back(0);
        }
    }
    if (!f.thumbnail.empty()) {
        if (out.size() % 2) out.push_back(0);
        const std::size_t thumbDir = out.size();
        put32(dir + 2 + n * 12, std::uint32_t(thumbDir));
        out.resize(thumbDir + 2 + 2 * 12 + 4);
        put16(thumbDir, 2);
        const std::size_t data = out.size();
        put16(thumbDir + 2, 0x0201);
        put16(thumbDir + 4, 4);
        put32(thumbDir + 6, 1);
        put32(thumbDir + 10, std::uint32_t(data));
        put16(thumbDir + 14, 0x0202);
        put16(thumbDir + 16, 4);
        put32(thumbDir + 18, 1);
        put32(thumbDir + 22, std::uint32_t(f.thumbnail.size()));
        out.insert(out.end(), f.thumbnail.begin(), f.thumbnail.end());
    }
    return out;
}

}  // namespace mugwarp::test
