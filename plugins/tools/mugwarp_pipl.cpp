// Turns a readable plug-in property description into the resources a module
// carries: a C++ file placing each PiPL in its own ELF section (native
// modules), or a resource script with binary files (Windows modules, windres).
//
// Description, one property per line ('#' starts a comment):
//   pipl                      starts a property list (one per filter)
//   kind 8BFM                 four-character code ('kind', 'host')
//   name "Gaussian Blur..."   length-prefixed text ('name', 'catg', 'prog')
//   8664 PluginMain           zero-terminated text ('8664', 'wx86', 'enbl')
//   vers 4 0                  major and minor version as one 32-bit value
//   prty 1                    32-bit number ('prty', 'mxch', any 'int KEY N')
//   mode RGB GrayScale        supported modes as a flag set
//   fici 1 1 0 / 1 1 8 / ...  seven filter cases: input, output, flags
//   hex KEY 01 02 03          raw bytes under any key
//   end
// For a 32-bit Windows module (--rc32) the entry point given under '8664' is
// written under 'wx86', the key that names 32-bit code.
// Legacy resources (modules from before property lists):
//   legacy N "Category" "Name"   PIMI and _8BFM resources with ID N
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Description {
    std::vector<Bytes> pipls;
    std::map<int, std::pair<std::string, std::optional<std::string>>> legacy;  // id -> category, name
};

[[noreturn]] void fail(int line, const std::string& why) {
    throw std::runtime_error("line " + std::to_string(line) + ": " + why);
}

void put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

std::uint32_t code(const std::string& text, int line) {
    if (text.size() != 4) fail(line, "a four-character code is needed, not '" + text + "'");
    return (std::uint32_t(std::uint8_t(text[0])) << 24) | (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint8_t(text[3]);
}

// Words of a line; "quoted text" is one word.
std::vector<std::string> words(const std::string& line, int number) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == '#') break;
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) fail(number, "unterminated text");
            out.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        out.push_back(line.substr(i, end - i));
        i = end;
    }
    return out;
}

Bytes modeFlags(const std::vector<std::string>& names, int line) {
    static const std::map<std::string, int> bits = {
        {"Bitmap", 0},  {"GrayScale", 1}, {"Indexed", 2},      {"RGB", 3},     {"CMYK", 4},
        {"HSL", 5},     {"HSB", 6},       {"MultiChannel", 7}, {"DuoTone", 8}, {"LAB", 9}};
    Bytes flags(2, 0);
    for (std::size_t i = 1; i < names.size(); ++i) {
        const auto it = bits.find(names[i]);
        if (it == bits.end()) fail(line, "unknown mode " + names[i]);
        flags[it->second / 8] |= std::uint8_t(0x80 >> (it->second % 8));
    }
    return flags;
}

Bytes filterCases(const std::vector<std::string>& w, int line) {
    Bytes data;
    std::vector<int> numbers;
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (w[i] == "/") continue;
        numbers.push_back(std::stoi(w[i], nullptr, 0));
    }
    if (numbers.size() != 21) fail(line, "fici needs seven cases of three numbers");
    for (int c = 0; c < 7; ++c) {
        for (int k = 0; k < 3; ++k) data.push_back(std::uint8_t(numbers[c * 3 + k]));
        data.push_back(0);
    }
    return data;
}

Description parse(std::istream& in, bool x86) {
    Description d;
    std::string text;
    int number = 0;
    bool open = false;
    std::vector<std::pair<std::uint32_t, Bytes>> properties;
    while (std::getline(in, text)) {
        ++number;
        const auto w = words(text, number);
        if (w.empty()) continue;
        const std::string& key = w[0];
        if (key == "pipl") {
            if (open) fail(number, "'end' missing before 'pipl'");
            open = true;
            properties.clear();
            continue;
        }
        if (key == "legacy") {
            // Without a name only the info resource is there.
            if (w.size() != 3 && w.size() != 4) fail(number, "legacy N \"Category\" [\"Name\"]");
            d.legacy[std::stoi(w[1])] = {w[2], w.size() == 4 ? std::optional<std::string>(w[3]) : std::nullopt};
            continue;
        }
        if (!open) fail(number, "'" + key + "' outside pipl ... end");
        if (key == "end") {
            Bytes list;
            list.push_back(1);  // the leading word of a Windows PiPL resource
            list.push_back(0);
            put32(list, 0);     // version
            put32(list, std::uint32_t(properties.size()));
            for (const auto& [k, data] : properties) {
                put32(list, code("8BIM", number));
                put32(list, k);
                put32(list, 0);
                put32(list, std::uint32_t(data.size()));
                list.insert(list.end(), data.begin(), data.end());
                while ((list.size() - 2) % 4 != 0) list.push_back(0);
            }
            d.pipls.push_back(std::move(list));
            open = false;
            continue;
        }
        if (w.size() < 2) fail(number, "'" + key + "' needs a value");
        Bytes data;
        std::uint32_t k = 0;
        if (key == "kind" || key == "host") {
            k = code(key, number);
            put32(data, code(w[1], number));
        } else if (key == "name" || key == "catg" || key == "prog") {
            k = code(key, number);
            if (w[1].size() > 255) fail(number, "text longer than 255 characters");
            data.push_back(std::uint8_t(w[1].size()));
            data.insert(data.end(), w[1].begin(), w[1].end());
        } else if (key == "8664" || key == "wx86" || key == "enbl") {
            k = code(x86 && key == "8664" ? "wx86" : key, number);
            data.assign(w[1].begin(), w[1].end());
            data.push_back(0);
        } else if (key == "vers") {
            k = code(key, number);
            put32(data, (std::uint32_t(std::stoi(w[1])) << 16) | std::uint32_t(w.size() > 2 ? std::stoi(w[2]) : 0));
        } else if (key == "prty" || key == "mxch") {
            k = code(key, number);
            put32(data, std::uint32_t(std::stol(w[1], nullptr, 0)));
        } else if (key == "int") {
            if (w.size() != 3) fail(number, "int KEY N");
            k = code(w[1], number);
            put32(data, std::uint32_t(std::stol(w[2], nullptr, 0)));
        } else if (key == "mode") {
            k = code(key, number);
            data = modeFlags(w, number);
        } else if (key == "fici") {
            k = code(key, number);
            data = filterCases(w, number);
        } else if (key == "hex") {
            k = code(w[1], number);
            for (std::size_t i = 2; i < w.size(); ++i) data.push_back(std::uint8_t(std::stoi(w[i], nullptr, 16)));
        } else {
            fail(number, "unknown property '" + key + "'");
        }
        properties.emplace_back(k, std::move(data));
    }
    if (open) fail(number, "'end' missing at the end");
    return d;
}

// One top-level assembler block keeps the sections in the order written,
// which is the order the host lists a module's filters in.
void writeSection(std::ostream& out, const std::string& section, const Bytes& bytes) {
    out << "    \".pushsection " << section << ",\\\"a\\\"\\n\"";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 16 == 0 ? "\n    \".byte " : ",") << int(bytes[i]);
        if (i % 16 == 15 || i + 1 == bytes.size()) out << "\\n\"";
    }
    out << "\n    \".popsection\\n\"\n";
}

Bytes legacyText(const std::string& text) {
    // The leading word of a legacy resource, the text, its terminating zero.
    Bytes b(2 + text.size() + 1, 0);
    std::copy(text.begin(), text.end(), b.begin() + 2);
    return b;
}

void writeElf(const Description& d, const std::string& source, std::ostream& out) {
    out << "// Generated from " << source << " by mugwarp-pipl; edit the description instead.\n";
    out << "__asm__(\n";
    for (std::size_t i = 0; i < d.pipls.size(); ++i) writeSection(out, ".rsrc.PIPL." + std::to_string(i + 1), d.pipls[i]);
    for (const auto& [id, texts] : d.legacy) {
        writeSection(out, ".rsrc.PIMI." + std::to_string(id), legacyText(texts.first));
        if (texts.second) writeSection(out, ".rsrc._8BFM." + std::to_string(id), legacyText(*texts.second));
    }
    out << ");\n";
}

void writeBinary(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void writeResourceScript(const Description& d, const std::string& path) {
    std::ofstream rc(path);
    for (std::size_t i = 0; i < d.pipls.size(); ++i) {
        const std::string bin = path + ".pipl" + std::to_string(i + 1) + ".bin";
        writeBinary(bin, d.pipls[i]);
        rc << 16000 + i << " PIPL \"" << bin << "\"\n";
    }
    for (const auto& [id, texts] : d.legacy) {
        writeBinary(path + ".pimi" + std::to_string(id) + ".bin", legacyText(texts.first));
        rc << id << " PIMI \"" << path << ".pimi" << id << ".bin\"\n";
        if (texts.second) {
            writeBinary(path + ".8bfm" + std::to_string(id) + ".bin", legacyText(*texts.second));
            rc << id << " _8BFM \"" << path << ".8bfm" << id << ".bin\"\n";
        }
    }
    if (!rc) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc == 4 ? argv[1] : "";
    if (mode != "--elf" && mode != "--rc" && mode != "--rc32") {
        std::cerr << "usage: mugwarp-pipl --elf|--rc|--rc32 DESCRIPTION OUTPUT\n";
        return 2;
    }
    try {
        std::ifstream in(argv[2]);
        if (!in) throw std::runtime_error("cannot read the description");
        const Description d = parse(in, mode == "--rc32");
        if (mode != "--elf") {
            writeResourceScript(d, argv[3]);
        } else {
            std::ofstream out(argv[3]);
            writeElf(d, argv[2], out);
            if (!out) throw std::runtime_error("cannot write " + std::string(argv[3]));
        }
    } catch (const std::exception& e) {
        std::cerr << argv[2] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
