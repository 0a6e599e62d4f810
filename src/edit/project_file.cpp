#include "edit/project_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <tuple>

#include "edit/project_coding.h"
#include "edit/project_thumbnail.h"
#include "formats/crc32.h"
#include "formats/file_io.h"
#include "raster/cell_storage.h"
#include "raster/error.h"

namespace mugwarp {
namespace {

// Like PNG's: a high byte (not text), the name, then CR LF, ^Z and LF, which
// a transfer that mangles line ends or text would change.
constexpr std::uint8_t kMagic[12] = {0x89, 'M', 'U', 'G', 'W', 'A', 'R', 'P', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kPreamble = sizeof kMagic + 8;  // magic, version, CRC
constexpr std::uint32_t kMaxNameBytes = 64 * 1024;
constexpr std::uint32_t kMaxOverlays = 4096;
constexpr int kPreviewSide = 1024;

constexpr std::uint32_t kHasDisplay = 1, kHasDeformation = 2, kHasFreezeMask = 4;

using Bytes = std::vector<std::uint8_t>;

void putU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putU64(Bytes& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putF32(Bytes& out, float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    putU32(out, u);
}
void putString(Bytes& out, const std::string& s) {
    if (s.size() > kMaxNameBytes) throw Error("A file name is too long to keep in a project");
    putU32(out, static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}
std::uint32_t getU32(std::span<const std::uint8_t> b) {
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

void putPart(Bytes& out, const char (&tag)[5], std::span<const std::uint8_t> body) {
    const std::size_t start = out.size();
    out.insert(out.end(), tag, tag + 4);
    putU64(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
    putU32(out, crc32(std::span(out).subspan(start)));
}

// Reads the parts in order, with messages for this kind of file.
class PartReader {
public:
    PartReader(std::span<const std::uint8_t> bytes, ProjectKind kind)
        : bytes_(bytes), noun_(kind == ProjectKind::Project ? "project file" : "recovery file") {}

    [[noreturn]] void damaged(const std::string& why) const { throw Error("The " + noun_ + " is damaged: " + why); }
    [[noreturn]] void cut(const std::string& where) const {
        throw Error("The " + noun_ + " is incomplete: it ends " + where);
    }

    void preamble(bool recovery) {
        if (!looksLikeProject(bytes_)) {
            if (recovery) damaged("it is not a Mugwarp file");
            throw Error("This is not a Mugwarp project file");
        }
        if (bytes_.size() < kPreamble) cut("within its header");
        if (crc32(bytes_.first(kPreamble - 4)) != getU32(bytes_.subspan(kPreamble - 4))) damaged("its header fails its check");
        const std::uint32_t version = getU32(bytes_.subspan(sizeof kMagic));
        if (version == 0) damaged("its version is 0");
        if (version > kVersion)
            throw Error("The " + noun_ + " was saved by a newer Mugwarp Studio (format " + std::to_string(version) +
                        "); this version opens format " + std::to_string(kVersion));
        at_ = kPreamble;
    }

    // The next critical part's body, which must carry tag; parts whose tag
    // begins in lower case may be added by later versions and are passed over.
    std::span<const std::uint8_t> part(const char* tag, const std::string& what) {
        for (;;) {
            if (bytes_.size() - at_ < 12) cut(at_ == bytes_.size() ? "before " + what : "within " + what);
            const auto head = bytes_.subspan(at_, 12);
            const std::uint64_t length = std::uint64_t(getU32(head.subspan(4))) | std::uint64_t(getU32(head.subspan(8))) << 32;
            if (length > bytes_.size() - at_ - 12 || bytes_.size() - at_ - 12 - length < 4) cut("within " + what);
            const auto whole = bytes_.subspan(at_, 12 + static_cast<std::size_t>(length));
            const std::uint32_t check = getU32(bytes_.subspan(at_ + whole.size()));
            const bool optional = head[0] >= 'a' && head[0] <= 'z';
            if (crc32(whole) != check) damaged((optional ? std::string("a part") : what) + " fails its check");
            at_ += whole.size() + 4;
            if (optional) {
                if (std::memcmp(head.data(), "prvw", 4) == 0) preview_ = whole.subspan(12);
                continue;
            }
            if (std::memcmp(head.data(), tag, 4) != 0) {
                const std::string found(reinterpret_cast<const char*>(head.data()), 4);
                const bool known = found == "HEAD" || found == "SRCE" || found == "SHOW" || found == "WARP" ||
                                   found == "FRZE" || found == "OVLY" || found == "END ";
                if (!known)
                    throw Error("The " + noun_ + " needs a newer Mugwarp Studio: it holds a part \"" + found +
                                "\" this version does not know");
                damaged(what + " is missing");
            }
            return whole.subspan(12);
        }
    }
    bool atEnd() const { return at_ == bytes_.size(); }
    // The body of the preview part passed over, if any.
    std::span<const std::uint8_t> preview() const { return preview_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::span<const std::uint8_t> preview_;
    std::string noun_;
    std::size_t at_ = 0;
};

template <typename Read>
auto readPart(PartReader& reader, const char* tag, const std::string& what, Read read) {
    const auto body = reader.part(tag, what);
    try {
        return read(body);
    } catch (const MalformedPart&) {
        reader.damaged(what + " is malformed");
    }
}

// The picture shown with its overlays, shrunk to kPreviewSide on its longer side.
PixelSurface previewOf(const ProjectSnapshot& s) {
    const PixelSurface& shown = s.display.isEmpty() ? s.source : s.display;
    const int w = shown.width(), h = shown.height(), longest = std::max(w, h);
    const int pw = std::max(1, static_cast<int>(std::int64_t{w} * kPreviewSide / longest));
    const int ph = std::max(1, static_cast<int>(std::int64_t{h} * kPreviewSide / longest));
    PixelSurface preview = shrinkPicture(shown, pw, ph);
    const float sx = static_cast<float>(pw) / static_cast<float>(w), sy = static_cast<float>(ph) / static_cast<float>(h);
    OverlayStack overlays;
    for (const Overlay& o : s.overlays)
        overlays.add(Overlay(FloatRect{o.location.left * sx, o.location.top * sy, o.location.right * sx, o.location.bottom * sy},
                             o.picture));
    overlays.flattenInto(preview);
    return preview;
}

}  // namespace

bool looksLikeProject(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof kMagic && std::memcmp(bytes.data(), kMagic, sizeof kMagic) == 0;
}

bool isProjectFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint8_t head[sizeof kMagic] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return in.gcount() == sizeof head && looksLikeProject(head);
}

bool hasProjectExtension(const std::string& path) {
    constexpr std::string_view kExtension = ".mugwarp";
    if (path.size() < kExtension.size()) return false;
    return std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::vector<std::uint8_t> packProject(const ProjectSnapshot& s) {
    const int w = s.source.width(), h = s.source.height();
    if (w < 1 || h < 1) throw Error("There is no picture to save as a project");
    auto sameSize = [&](int mw, int mh) { return mw == w && mh == h; };
    const bool hasDisplay = !s.display.isEmpty();
    const bool hasDeformation = s.deformation.width() > 0;
    const bool hasMask = s.freezeMask.width() > 0;
    if ((hasDisplay && !sameSize(s.display.width(), s.display.height())) ||
        (hasDeformation && !sameSize(s.deformation.width(), s.deformation.height())) ||
        (hasMask && !sameSize(s.freezeMask.width(), s.freezeMask.height())))
        throw Error("The picture, its deformation and its freeze mask differ in size");
    if (s.overlays.size() > kMaxOverlays) throw Error("Too many overlays to keep in a project");

    Bytes out(kMagic, kMagic + sizeof kMagic);
    putU32(out, kVersion);
    putU32(out, crc32(out));

    Bytes head;
    putU32(head, static_cast<std::uint32_t>(w));
    putU32(head, static_cast<std::uint32_t>(h));
    putU32(head, s.keyColor);
    putU32(head, s.outerColor);
    putU64(head, static_cast<std::uint64_t>(s.savedAt));
    putU32(head, static_cast<std::uint32_t>(s.overlays.size()));
    putU32(head, (hasDisplay ? kHasDisplay : 0) | (hasDeformation ? kHasDeformation : 0) | (hasMask ? kHasFreezeMask : 0));
    putString(head, s.pictureFileName);
    putString(head, s.documentFileName);
    putPart(out, "HEAD", head);
    // Larger pictures carry a small copy of what they show, so that a file
    // manager's thumbnail need not unpack the whole picture.
    if (std::max(w, h) > kPreviewSide) putPart(out, "prvw", encodeImage(previewOf(s)));
    putPart(out, "SRCE", encodeImage(s.source));
    if (hasDisplay) putPart(out, "SHOW", encodeImage(s.display, &s.source));
    if (hasDeformation) putPart(out, "WARP", encodeDisplacement(s.deformation));
    if (hasMask) putPart(out, "FRZE", encodeByteMap(s.freezeMask));
    for (const Overlay& overlay : s.overlays) {
        Bytes body;
        putF32(body, overlay.location.left);
        putF32(body, overlay.location.top);
        putF32(body, overlay.location.right);
        putF32(body, overlay.location.bottom);
        const Bytes image = encodeImage(*overlay.picture);
        body.insert(body.end(), image.begin(), image.end());
        putPart(out, "OVLY", body);
    }
    putPart(out, "END ", {});
    return out;
}

ProjectSnapshot unpackProject(std::span<const std::uint8_t> bytes, ProjectKind kind, ProjectContent content) {
    const bool everything = content == ProjectContent::Everything;
    PartReader reader(bytes, kind);
    reader.preamble(kind == ProjectKind::Recovery);
    ProjectSnapshot s;
    std::uint32_t width = 0, height = 0, overlays = 0, flags = 0;
    readPart(reader, "HEAD", "the header", [&](std::span<const std::uint8_t> body) {
        PartFields in(body);
        width = in.u32();
        height = in.u32();
        s.keyColor = in.u32();
        s.outerColor = in.u32();
        s.savedAt = static_cast<std::int64_t>(in.u64());
        overlays = in.u32();
        flags = in.u32();
        s.pictureFileName = in.string(kMaxNameBytes);
        s.documentFileName = in.string(kMaxNameBytes);
        if (width < 1 || height < 1 || width > 1u << 20 || height > 1u << 20 ||
            std::int64_t{width} * std::int64_t{height} > kMaxCells || overlays > kMaxOverlays || flags > 7 ||
            !in.atEnd())
            throw MalformedPart{};
        return 0;
    });
    // A thumbnail of a project with a preview needs nothing else unpacked;
    // every part is still checked.
    const auto sourceBody = reader.part("SRCE", "the source picture");  // passes over the preview
    if (content == ProjectContent::Picture && !reader.preview().empty()) {
        for (const auto& [flag, tag, what] : {std::tuple{kHasDisplay, "SHOW", "the picture as shown"},
                                              std::tuple{kHasDeformation, "WARP", "the deformation"},
                                              std::tuple{kHasFreezeMask, "FRZE", "the freeze mask"}})
            if (flags & flag) reader.part(tag, what);
        for (std::uint32_t i = 0; i < overlays; ++i) reader.part("OVLY", "overlay " + std::to_string(i + 1));
        reader.part("END ", "the end mark");
        if (!reader.atEnd()) reader.damaged("there are bytes after its end");
        try {
            s.preview = decodeImage(reader.preview());
        } catch (const MalformedPart&) {
            reader.damaged("its preview is malformed");
        }
        return s;
    }
    try {
        s.source = decodeImage(sourceBody);
        if (std::uint32_t(s.source.width()) != width || std::uint32_t(s.source.height()) != height) throw MalformedPart{};
    } catch (const MalformedPart&) {
        reader.damaged("the source picture is malformed");
    }
    const int w = s.source.width(), h = s.source.height();
    if (flags & kHasDisplay)
        s.display = readPart(reader, "SHOW", "the picture as shown",
                             [&](std::span<const std::uint8_t> body) { return decodeImage(body, &s.source); });
    if ((flags & kHasDeformation) && !everything) reader.part("WARP", "the deformation");
    if ((flags & kHasDeformation) && everything)
        s.deformation = readPart(reader, "WARP", "the deformation",
                                 [&](std::span<const std::uint8_t> body) { return decodeDisplacement(body, w, h); });
    if ((flags & kHasFreezeMask) && !everything) reader.part("FRZE", "the freeze mask");
    if ((flags & kHasFreezeMask) && everything)
        s.freezeMask = readPart(reader, "FRZE", "the freeze mask",
                                [&](std::span<const std::uint8_t> body) { return decodeByteMap(body, w, h); });
    for (std::uint32_t i = 0; i < overlays; ++i) {
        s.overlays.push_back(readPart(reader, "OVLY", "overlay " + std::to_string(i + 1), [](std::span<const std::uint8_t> body) {
            PartFields in(body);
            FloatRect where;
            where.left = in.f32();
            where.top = in.f32();
            where.right = in.f32();
            where.bottom = in.f32();
            PixelSurface picture = decodeImage(in.rest());
            picture.setDrawMode(DrawMode::Blend);
            picture.setSamplerKind(SamplerKind::Nearest);
            return Overlay(where, std::move(picture));
        }));
    }
    reader.part("END ", "the end mark");
    if (!reader.atEnd()) reader.damaged("there are bytes after its end");
    return s;
}

ProjectSnapshot readProjectFile(const std::string& path, ProjectContent content) {
    try {
        return unpackProject(readWholeFile(path), ProjectKind::Project, content);
    } catch (const Error& e) {
        const std::string message = e.what();
        if (message.rfind("Cannot open file", 0) == 0) throw;
        throw Error("Cannot open \"" + path + "\". " + message + ".");
    }
}

void writeProjectFile(const std::string& path, const ProjectSnapshot& snapshot) {
    writeFileAtomically(path, packProject(snapshot));
}

}  // namespace mugwarp
