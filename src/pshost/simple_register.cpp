#include "pshost/simple_register.h"

namespace mugwarp {

const std::array<const char*, 10> kImageModeNames = {"Bitmap", "GrayScale", "Indexed", "RGB",      "CMYK",
                                                      "HSL",    "HSB",       "MultiChannel", "DuoTone", "LAB"};
const std::array<const char*, 1> kExportFlagNames = {"Supports transparency"};
const std::array<const char*, 6> kFormatFlagNames = {"Read all types",   "Save image resources",
                                                      "Can read",         "Can write",
                                                      "Can write if read", "Can write transparency"};

void SimpleRegister::registerCode(FourCharCode key, const std::string& displayName, std::uint8_t kind) {
    rows_.push_back({key, kind, displayName.substr(0, 255)});
}

std::string SimpleRegister::displayName(FourCharCode key) const {
    for (const Row& row : rows_) {
        if (row.key == key) return row.displayName;
    }
    return {};
}

const SimpleRegister& SimpleRegister::standard() {
    static const SimpleRegister table = [] {
        struct Known {
            const char code[5];
            const char* name;
            std::uint8_t kind;
        };
        static constexpr Known known[] = {
            {"kind", "Kind", 5},
            {"name", "Name", 2},
            {"catg", "Category", 2},
            {"prty", "Priority", 1},
            {"vers", "Required version", 4},
            {"host", "Required host", 5},
            {"prog", "Handle progress bar updates", 2},
            {"mode", "Supported modes", 6},
            {"enbl", "Enable-info", 2},
            {"wx86", "Entrypoint", 3},
            {"fici", "Filter Case Info", 7},
            {"pnme", "Color picker ID", 1},
            {"expf", "Export-flags", 6},
            {"RdEx", "Supported extensions", 3},
            {"fftE", "Filtered extensions", 3},
            {"fmtf", "File format flags", 6},
            {"mxsz", "Maximum image size", 1},
            {"mxch", "Maximum number of channels", 1},
            {"hstm", "Has terminology", 0},
            {"8BFM", "Filter Module", 0},
            {"8BSM", "Selection Module", 0},
            {"8BAM", "Import Module", 0},
            {"8BEM", "Export Module", 0},
            {"8BIF", "Format Module", 0},
            {"8BCM", "Color Picker Module", 0},
            {"8BIM", "Adobe Photoshop", 0},
            {"PSP9", "Paint Shop Pro 9", 0},
            {"TSLY", "Tessaly Host", 0},
        };
        SimpleRegister r;
        for (const Known& k : known) r.registerCode(fourCharCode(k.code), k.name, k.kind);
        return r;
    }();
    return table;
}

FourCharCode hostSignature() { return SimpleRegister::standard().rows().back().key; }

}  // namespace mugwarp
